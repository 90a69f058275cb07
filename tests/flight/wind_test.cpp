#include "flight/wind.h"

#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "base/flight_values.h"
#include "flight/flight_reset.h"
#include "tests/support/flight_test.h"

namespace {

using WindTest = FlightTest;

TEST_F(WindTest, SectorBoundaries) {
  const std::pair<double, int> cases[] = {  // course, sector (-1: none); north is 0 to 20 only
      {0, 0},    {19.99, 0}, {20, -1},  {80, -1},  {80.01, 1}, {99.99, 1},  {100, -1}, {170, -1},
      {180, 2},  {190, -1},  {260, -1}, {270, 3},  {280, -1},  {359.9, -1}, {360, -1}, {-1, -1}};
  for (const auto& [course, sector] : cases) {
    ResetWindSectors();
    EstimateWind(course, 10);
    for (int i = 0; i < kWindSectors; ++i)
      EXPECT_EQ(g_dWindSectorNorth[i] != 0 || g_dWindSectorEast[i] != 0, i == sector)
          << "course " << course << ", sector " << i;
  }
}

TEST_F(WindTest, HalfTheSumOfTheSectorsInMetresPerSecond) {
  const std::tuple<const char*, std::vector<std::pair<double, double>>, double, double> cases[] = {
      {"no sector yet: calm, direction 0", {{45, 30}}, 0, 0},
      {"one sector: half its velocity", {{90, 36}}, 5, 90},
      {"east parts cancel: due north", {{90, 36}, {270, 36}, {0, 20}}, 2.7777777777777777, 0},
      {"due south", {{180, 36}}, 5, 180},  {"westward", {{270, 36}}, 5, 270},
      {"two sectors", {{0, 36}, {90, 36}}, 7.0710678118654755, 45},
      {"a second fix replaces the first", {{90, 36}, {90, 18}}, 2.5, 90}};
  for (const auto& [legend, fixes, speed, dir] : cases) {
    ResetFlight();
    for (const auto& [course, kmh] : fixes) EstimateWind(course, kmh);
    EXPECT_NEAR(g_dWindSpeed, speed, 1e-6) << legend;
    EXPECT_NEAR(g_dWindDir, dir, 1e-6) << legend;
  }
}

TEST_F(WindTest, VanishingWindKeepsItsDirection) {
  EstimateWind(90, 36);
  EstimateWind(270, 36);  // equal legs east and west: the wind vanishes
  EXPECT_NEAR(g_dWindDir, 90, 1e-6);
  // Rounding may leave a tiny negative east component: the wind must not turn half round.
  g_dWindSectorEast[1] = -1e-6;
  g_dWindSectorEast[3] = 0;
  EstimateWind(45, 0);
  EXPECT_NEAR(g_dWindDir, 90, 1e-6);
}

}  // namespace
