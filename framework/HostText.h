#pragma once

// Texts handed to hosts (names, labels, display texts, program, effect,
// vendor and product names). The plug-in holds them in Windows-1252 (or as
// UTF-8 when a host gave them so); Windows hosts expect those bytes, the
// system code page, while hosts elsewhere expect UTF-8.

// Copies `text` into a host buffer of `capacity` bytes, NUL included, in
// the encoding the platform's hosts expect.
void CopyTextForHost(char* out, const char* text, int capacity);

// The same text as UTF-8 (framework/TextCodePage.h decides how it is read),
// cut at a whole character so that it fits with its NUL. Null copies as "".
void CopyTextAsUtf8(char* out, const char* text, int capacity);
