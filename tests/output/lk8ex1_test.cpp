#include "output/lk8ex1.h"

#include <cmath>
#include <tuple>

#include <gtest/gtest.h>

#include "tests/support/lk8ex1_reading.h"

namespace {

using Decoded = Lk8ex1Fields;

TEST(Lk8ex1Test, EachFieldInItsUnitWholeAndChecked) {
  // legend, values, then pressure [Pa], altitude, vario [cm/s], temperature [C], battery
  const std::tuple<const char*, Lk8ex1Values, Decoded> cases[] = {
      {"a climb at sea level", {101325.0, 2.345, 21.4, 75}, {101325, 99999, 235, 21, 1075}},
      {"sink, frost, a flat battery", {79495.6, -1.234, -5.6, 0}, {79496, 99999, -123, -6, 1000}},
      {"halves round away from zero", {1000.5, -0.005, 0.5, 100}, {1001, 99999, -1, 1, 1100}},
      {"nothing known", {}, {999999, 99999, 9999, 99, 999}},
      {"not numbers are none", {NAN, INFINITY, NAN, std::nullopt}, {999999, 99999, 9999, 99, 999}},
      {"beyond the field: one short of the marker", {2e6, 150.0, 120.0, 130}, {999998, 99999, 9998, 98, 1100}},
      {"and below it", {-3.0, -150.0, -120.0, -4}, {0, 99999, -9999, -99, 1000}},
  };
  for (const auto& [legend, values, expected] : cases) {
    Decoded got{};
    ASSERT_TRUE(ReadLk8ex1(Lk8ex1Sentence(values), got)) << legend;
    EXPECT_EQ(std::tie(got.pressure, got.altitude, got.vario, got.temperature, got.battery),
              std::tie(expected.pressure, expected.altitude, expected.vario, expected.temperature,
                       expected.battery))
        << legend;
  }
}

TEST(Lk8ex1Test, TheBytesAsAppsExpectThem) {
  // Checksum worked by hand: the comma before "*" counts, hex in upper case.
  EXPECT_EQ(Lk8ex1Sentence({101325.0, -1.23, 22.0, std::nullopt}), "$LK8EX1,101325,99999,-123,22,999,*0A");
}

}  // namespace
