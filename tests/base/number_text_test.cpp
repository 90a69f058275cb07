#include "base/number_text.h"

#include <gtest/gtest.h>

namespace {

struct NumberCase {
  const char* text;
  std::size_t maxChars;
  double expected;
};

class ReadNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ReadNumberTest, ReadsTheLeadingDecimalNumber) {
  const NumberCase& c = GetParam();
  EXPECT_DOUBLE_EQ(ReadNumber(c.text, c.maxChars), c.expected) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadNumberTest,
    ::testing::Values(
        // legend: plain numbers
        NumberCase{"545.4", 7, 545.4}, NumberCase{"022.4", 7, 22.4},
        NumberCase{"-12.5", 7, -12.5}, NumberCase{"+3", 7, 3}, NumberCase{".5", 7, 0.5},
        NumberCase{"5.", 7, 5},
        // only the first k characters count
        NumberCase{"4807.0389", 8, 4807.038}, NumberCase{"12.3", 3, 12},
        NumberCase{"3.5", 3, 3.5}, NumberCase{"1234567.0", 7, 1234567},
        // leading blanks are skipped, trailing text ends the number
        NumberCase{"  42", 7, 42}, NumberCase{"12abc", 7, 12}, NumberCase{"1.2.3", 7, 1.2},
        // exponents, and an 'e' that is not one
        NumberCase{"1e2", 7, 100}, NumberCase{"2.5E-1", 7, 0.25}, NumberCase{"7e", 7, 7},
        NumberCase{"7e+", 7, 7},
        // no number at all gives 0
        NumberCase{"", 7, 0}, NumberCase{"abc", 7, 0}, NumberCase{"-", 7, 0},
        NumberCase{".", 7, 0}, NumberCase{"   ", 7, 0}, NumberCase{"12", 0, 0},
        // never an infinity or a NaN from received text
        NumberCase{"inf", 7, 0}, NumberCase{"nan", 7, 0}, NumberCase{"1e999", 7, 0},
        NumberCase{"0x1A", 7, 0}));

}  // namespace
