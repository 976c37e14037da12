#pragma once
#include <string>

// Pieces of the native dialogs that are plain text work.
namespace win32dialogs {

// The filter of a file dialog for space-separated extensions ("png txt"):
// "*.png;*.txt" as description and as pattern, each ended by a NUL, plus
// the closing NUL.
std::string FileFilter(const char* extensions);
// The first extension, for the dialog's default.
std::string FirstExtension(const char* extensions);
// Everything up to and including the last backslash; empty without one.
std::string FolderOf(const char* path);

}  // namespace win32dialogs
