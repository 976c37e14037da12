#pragma once
#include <string>

// Turtle literals written the same way on every machine and in every
// locale: numbers through std::to_chars, strings as escaped UTF-8.

// Shortest text that reads back as exactly `v`; "1000.0" rather than
// "1000" so that a real-valued port stays a decimal.
std::string TtlDecimal(double v);
// The float a host's port holds for `v`, as a decimal literal (never an
// integer or exponent form: some hosts load only decimals) with the
// digits it takes to read back, through a double, as exactly that float.
std::string TtlFloatDecimal(double v);
// An exact integer ("3"), for enumerations, toggles and indexes.
std::string TtlInteger(long long v);
// A quoted string literal of a Windows-1252 text from the parameter table.
std::string TtlString(const char* windows1252);
