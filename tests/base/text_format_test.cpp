#include "base/text_format.h"

#include <cstdio>

#include <gtest/gtest.h>

namespace {

// printf in the C locale is the reference for every conversion (the
// helpers exist because printf follows the process locale, which the Qt
// application sets from the desktop: "0,12" in a German cockpit).
std::string Printf(const char* format, double value) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

TEST(TextFormat, FixedMatchesPrintfIncludingHalfwayRounding) {
  const double values[] = {0,      -0.0,   0.12,   -0.03,  41.44, 41.5,   42.5, -0.4,
                           -12.5,  2.345,  0.125,  0.375,  1e6,   -1e-9,  359.99, 9999.0,
                           1.005,  2.675,  1e300,  -2.5};
  const struct {
    const char* format;
    int width;
    int precision;
  } formats[] = {{"%3.0f", 3, 0}, {"%4.0f", 4, 0}, {"%5.2f", 5, 2}, {"%3.1f", 3, 1},
                 {"%4.1f", 4, 1}, {"%2.0f", 2, 0}};
  for (const auto& f : formats) {
    for (double v : values) {
      EXPECT_EQ(FormatFixed(v, f.width, f.precision), Printf(f.format, v)) << f.format << " " << v;
    }
  }
}

TEST(TextFormat, IntegersAndPadding) {
  EXPECT_EQ(FormatInt(1234, 5, true), "01234");
  EXPECT_EQ(FormatInt(-12, 5, true), "-0012");
  EXPECT_EQ(FormatInt(123456, 5, true), "123456");
  EXPECT_EQ(FormatInt(87, 3), " 87");
  EXPECT_EQ(FormatInt(115200, 5), "115200");
  EXPECT_EQ(PadLeft("COM1", 5), " COM1");
  EXPECT_EQ(PadLeft("toolong", 3), "toolong");
}

}  // namespace
