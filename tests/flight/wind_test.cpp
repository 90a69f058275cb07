#include "flight/wind.h"

#include <gtest/gtest.h>

#include "base/flight_values.h"
#include "flight/flight_reset.h"
#include "tests/support/flight_test.h"

namespace {

using WindTest = FlightTest;

TEST_F(WindTest, SectorBoundaries) {
  struct Case {
    double course;
    int sector;  // -1: none
  } cases[] = {{0, 0},    {19.99, 0}, {20, -1},  {80, -1},  {80.01, 1}, {99.99, 1},
               {100, -1}, {170, -1},  {180, 2},  {190, -1}, {260, -1},  {270, 3},
               {280, -1}, {340, -1},  {359.9, -1}, {360, -1}, {-1, -1},  {45, -1}};
  for (const auto& c : cases) {
    ResetWindSectors();
    EstimateWind(c.course, 10);
    for (int i = 0; i < kWindSectors; ++i) {
      const bool written = g_dWindSectorNorth[i] != 0 || g_dWindSectorEast[i] != 0;
      EXPECT_EQ(written, i == c.sector) << "course " << c.course << " sector " << i;
    }
  }
}

TEST_F(WindTest, WorkedExamples) {
  struct Fix {
    double course, speed;
  };
  struct Case {
    std::vector<Fix> fixes;
    double speed, dir;
  } cases[] = {
      {{{45, 30}}, 0, 0},                          // no sector yet: calm, direction 0
      {{{90, 36}}, 5, 90},                         // one sector: half its velocity
      {{{90, 40}, {270, 20}}, 2.7777777777777777, 90},
      {{{90, 36}, {270, 36}}, 0, 90},              // opposite legs cancel
      {{{0, 36}}, 5, 0},                           // east parts zero: due north
      {{{180, 36}}, 5, 180},                       // due south
      {{{90, 36}, {270, 36}, {0, 20}}, 2.7777777777777777, 0},
      {{{270, 36}}, 5, 270},
      {{{0, 36}, {90, 36}}, 7.0710678118654755, 45},
      {{{90, 36}, {90, 18}}, 2.5, 90},             // a second fix replaces the first
      {{{90, 36}, {45, 99}}, 5, 90},               // no sector: recomputed unchanged
  };
  for (const auto& c : cases) {
    ResetFlight();
    for (const auto& f : c.fixes) EstimateWind(f.course, f.speed);
    EXPECT_NEAR(g_dWindSpeed, c.speed, 1e-6) << c.fixes.size();
    EXPECT_NEAR(g_dWindDir, c.dir, 1e-6) << c.fixes.size();
  }
}

TEST_F(WindTest, VanishingWindKeepsItsDirection) {
  EstimateWind(90, 36);
  const double dir = g_dWindDir;
  ASSERT_NEAR(dir, 90, 1e-6);
  // Equal legs east and west: the east parts nearly cancel, with a tiny
  // remainder of either sign from the rounding of sin 270.
  for (int i = 0; i < 3; ++i) {
    EstimateWind(270, 36);
    EstimateWind(90, 36);
    EXPECT_NEAR(g_dWindSpeed, 0, 1e-5);
    EXPECT_EQ(g_dWindDir, dir);
  }
  g_dWindSectorEast[1] = -1e-6;  // tiny and negative
  g_dWindSectorEast[3] = 0;
  EstimateWind(45, 0);
  EXPECT_EQ(g_dWindDir, dir);
}

}  // namespace
