#pragma once

// Number formatting that ignores the process locale (hosts change it), so
// state dumps and display texts always use '.' as the decimal point.

// Like "%.*f": v with `decimals` digits after the point. NaN and infinities
// give "nan", "inf" and "-inf".
void FormatFixed(double v, int decimals, char* out, int capacity);

// Like "%d" of v truncated toward zero, limited to the int range (NaN gives 0).
void FormatTruncated(double v, char* out, int capacity);

// v truncated toward zero and limited to the int range; NaN gives 0.
int TruncateToInt(double v);

// Bounded copy that always NUL-terminates (capacity > 0); null copies as "".
void CopyText(char* out, const char* text, int capacity);
