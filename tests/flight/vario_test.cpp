#include "flight/vario.h"

#include <cmath>

#include <gtest/gtest.h>

#include "tests/support/flight_test.h"

namespace {

using VarioTest = FlightTest;

TEST_F(VarioTest, ZeroUntilTenSamplesThenTheSlopeOfTheLastTen) {
  // A spike, then a steady 1 m/s climb: the climb's slope once the spike has left.
  EXPECT_EQ(ComputeVario(5000, 0), 0.0);
  for (int t = 1; t < 9; ++t) EXPECT_EQ(ComputeVario(100 + t, t), 0.0) << t;
  EXPECT_LT(ComputeVario(109, 9), 0);
  EXPECT_NEAR(ComputeVario(110, 10), 1.0, 1e-12);
}

TEST_F(VarioTest, SlopeOfTenSamples) {
  for (const auto& [start, rate] : {std::pair{0, 2.0}, {0, -1.5}, {0, 0.0}, {-5, -0.5}}) {
    ResetVario();
    double v = 0;
    for (int t = start; t < start + 10; ++t) v = ComputeVario(800 + rate * t, t);
    EXPECT_NEAR(v, rate, 1e-12) << rate;
    EXPECT_EQ(std::signbit(v), rate < 0) << rate;  // level shows "Var 0.0", never -0.0
  }
  for (int i = 0; i < 10; ++i) ComputeVario(500.0 + i, 42);  // time standing still
  EXPECT_EQ(ComputeVario(510, 42), kVarioNoSpread);
}

}  // namespace
