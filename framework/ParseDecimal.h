#pragma once
// Reads a decimal number from host-supplied text the way the C library's
// text-to-double conversion does in the "C" locale: leading blanks, an
// optional sign, digits with '.' as the decimal point, an optional exponent,
// "inf"/"nan"; anything after the number is ignored; 0 when no number can
// be read. Unlike atof it never depends on the process locale, which hosts
// change. At most `capacity` bytes are looked at, so an unterminated text
// is never overrun.
double ParseDecimal(const char* text, int capacity);
