#include "base/text_format.h"

#include <cmath>
#include <cstdio>
#include <random>

#include <gtest/gtest.h>

namespace {

// printf in the C locale is the reference for every conversion (the
// helpers exist because printf follows the process locale, which the Qt
// application sets from the desktop: "0,12" in a German cockpit).
template <typename T> std::string Printf(const char* format, T value) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

TEST(TextFormat, NumbersMatchPrintfIncludingHalfwayRoundingAndAreNeverCut) {
  const double values[] = {0,     -0.0,  0.12, -0.03,  41.44, 41.5, 42.5,  -0.4,   -12.5, 2.345,
                           0.125, 0.375, 1e6,  -1e-9, 359.99, 9999, 1.005, 2.675, 1e300, -2.5};
  const struct { const char* format; int width, precision; } formats[] = {
      {"%3.0f", 3, 0}, {"%4.0f", 4, 0}, {"%5.2f", 5, 2}, {"%3.1f", 3, 1}, {"%4.1f", 4, 1},
      {"%2.0f", 2, 0}};
  for (const auto& f : formats)
    for (double v : values)
      EXPECT_EQ(FormatFixed(v, f.width, f.precision), Printf(f.format, v)) << f.format << " " << v;
  for (long long v : {1234LL, -12LL, 123456LL, 87LL}) {
    EXPECT_EQ(FormatInt(v, 5, true), Printf("%05lli", v));
    EXPECT_EQ(FormatInt(v, 3), Printf("%3lli", v));
  }
  // And across every magnitude a display or log may meet, halfway cases
  // (multiples of 1/64) as often as any other.
  std::mt19937_64 random(7);
  for (int i = 0; i < 200000; ++i) {
    const double magnitude = std::ldexp(1.0, static_cast<int>(random() % 60) - 20);
    const double v = i % 2 ? std::ldexp(static_cast<double>(random() % 100000), -6) - 700
                           : (static_cast<double>(random()) / 0x1p64 - 0.5) * magnitude;
    const int precision = static_cast<int>(random() % 4);
    char expected[512];
    std::snprintf(expected, sizeof expected, "%.*f", precision, v);
    ASSERT_EQ(FormatFixed(v, 0, precision), expected) << v;
  }
  EXPECT_EQ(PadLeft("COM1", 5), " COM1");
  EXPECT_EQ(PadLeft("toolong", 3), "toolong");
}

}  // namespace
