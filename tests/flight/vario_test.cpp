#include "flight/vario.h"

#include <cmath>

#include <gtest/gtest.h>

#include "tests/support/flight_test.h"

namespace {

using VarioTest = FlightTest;

// Feeds samples at times start, start+1, ... with altitude a0 + rate * t.
double FeedLine(int count, int start, double a0, double rate) {
  double v = 0;
  for (int t = start; t < start + count; ++t) v = ComputeVario(a0 + rate * t, t);
  return v;
}

TEST_F(VarioTest, FirstNineCallsGiveZeroWhateverTheSamples) {
  for (int i = 0; i < 9; ++i) EXPECT_EQ(ComputeVario(1000.0 * i, i), 0.0) << i;
  EXPECT_EQ(g_nVarioIndex, 9);
  EXPECT_EQ(ComputeVario(9000.0, 9), 1000.0);
  EXPECT_EQ(g_nVarioIndex, 0);  // the tenth sample lands in slot 0
  EXPECT_EQ(g_nVarioCount, 10);
}

TEST_F(VarioTest, SlopeOfTenSamples) {
  struct Case {
    double rate;
    double expected;
  } cases[] = {{2.0, 2.0}, {-1.5, -1.5}, {0.0, 0.0}};
  for (const auto& c : cases) {
    ResetVario();
    const double v = FeedLine(10, 0, 800, c.rate);
    EXPECT_NEAR(v, c.expected, 1e-12) << c.rate;
    EXPECT_EQ(std::signbit(v), c.expected < 0) << c.rate;  // level is +0, not -0
  }
}

TEST_F(VarioTest, TimeStandingStillGivesTheMarker) {
  double v = 0;
  for (int i = 0; i < 10; ++i) v = ComputeVario(500.0 + i, 42);
  EXPECT_EQ(v, kVarioNoSpread);
}

TEST_F(VarioTest, EleventhSampleReplacesTheFirst) {
  // A spike first, then a clean climb: once the spike has left the ring
  // the slope is exactly the climb's.
  ComputeVario(5000, 0);
  EXPECT_NE(FeedLine(9, 1, 100, 1.0), 1.0);
  EXPECT_EQ(g_dVarioAlt[1], 5000);
  EXPECT_NEAR(ComputeVario(110, 10), 1.0, 1e-12);
  EXPECT_EQ(g_nVarioIndex, 1);
  EXPECT_EQ(g_dVarioAlt[1], 110);
  EXPECT_EQ(g_dVarioTime[1], 10);
}

TEST_F(VarioTest, NegativeTimesAreFittedLikeAnyOthers) {
  EXPECT_NEAR(FeedLine(10, -5, 300, -0.5), -0.5, 1e-12);
}

}  // namespace
