#include "base/number_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ReadNumber, ReadsTheLeadingDecimalNumberOfTheFirstCharacters) {
  const struct { const char* text; std::size_t maxChars; double expected; } cases[] = {
      {"545.4", 7, 545.4}, {"-12.5", 7, -12.5}, {"+3", 7, 3}, {".5", 7, 0.5},
      {"4807.0389", 8, 4807.038}, {"12.3", 3, 12}, {"12", 0, 0},  // only the first k characters
      {"  42", 7, 42}, {"12abc", 7, 12}, {"1.2.3", 7, 1.2},  // blanks skipped, text ends it
      {"2.5E-1", 7, 0.25}, {"7e+", 7, 7},                     // an 'e' that is no exponent
      // no number gives 0, and received text never gives an infinity or a NaN
      {"", 7, 0}, {"-", 7, 0}, {".", 7, 0}, {"inf", 7, 0}, {"nan", 7, 0}, {"1e999", 7, 0},
      {"0x1A", 7, 0},
  };
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(ReadNumber(c.text, c.maxChars), c.expected) << '"' << c.text << '"';
}

}  // namespace
