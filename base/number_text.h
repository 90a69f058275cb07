// Numbers in received text: a GPS field is read as a decimal number from at
// most its first `maxChars` characters. Leading white space is skipped, then
// the longest prefix of an optional sign, digits with at most one decimal
// point and an optional exponent is used. A text without such a prefix gives
// 0, and so does a number too large for a double: received data never turns
// into an infinity or a NaN.
#pragma once

#include <cstddef>
#include <string_view>

double ReadNumber(std::string_view text, std::size_t maxChars);

// True when `text` starts with a number as ReadNumber reads one (a prefix
// with at least one digit), so that a 0 it gives is a real 0.
bool HoldsNumber(std::string_view text);
