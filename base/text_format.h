// Locale-independent equivalents of the few printf conversions the
// instrument uses for its display texts and log records.
//
// The Qt application sets the process locale from the environment, which
// would turn "%5.2f" into "0,12" in a German cockpit and break the CSV log.
// These helpers always write a decimal point and round exactly like printf
// (to the nearest, ties to even on the exact binary value).
#pragma once

#include <string>
#include <string_view>

// "%<width>s": right-aligned in at least `width` characters, never cut.
std::string PadLeft(std::string_view text, int width);

// "%<width>.<precision>f"
std::string FormatFixed(double value, int width, int precision);

// "%<width>i", or "%0<width>i" when zeroPad is set (minus sign first).
std::string FormatInt(long long value, int width, bool zeroPad = false);

// The n-th field of a text, counting from 1: the text between the (n-1)-th
// and the n-th separator. The empty text when there is no n-th separator,
// so the text after the last separator is never a field. Positions of
// missing separators count as 0, so field 1 starts after the text's first
// character (the "$" of a sentence, the "\" of a path).
std::string SeparatedField(std::string_view text, char separator, int n);
