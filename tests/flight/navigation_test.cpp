#include "flight/navigation.h"

#include <cmath>

#include <gtest/gtest.h>

#include "base/flight_values.h"
#include "base/settings_values.h"
#include "flight/vario.h"
#include "tests/support/flight_test.h"

namespace {

class NavigationTest : public FlightTest {
 protected:
  // One cycle's navigation on a fix at `time` (hhmmss) and (lat, lon) with the vario `vario`.
  void Step(double time, double lat, double lon, double vario) {
    state.dTime = time;
    state.dLat = lat;
    state.dLon = lon;
    g_dVario = vario;
    UpdateNavigation(state);
  }
  AcquisitionState state;
};

TEST_F(NavigationTest, ClimbingFromAboveZeroUntilBelowMinusOne) {
  for (const auto& [vario, climbing] : {std::pair{-0.5, false}, {0.0, false}, {0.5, true},
                                        {-1.0, true}, {-1.5, false}, {0.01, true}}) {
    Step(120000, 46, 8, vario);
    EXPECT_EQ(g_bClimbing, climbing) << vario;
  }
}

TEST_F(NavigationTest, TheNoTimeSpreadMarkerIsNoClimb) {
  Step(120000, 46.0, 8.0, kVarioNoSpread);  // not climbing: it does not start a climb
  EXPECT_FALSE(g_bClimbing);
  Step(120001, 46.0, 8.0, 1.0);
  Step(120002, 46.1, 8.0, kVarioNoSpread);  // climbing: it is no peak
  EXPECT_TRUE(g_bClimbing);
  EXPECT_EQ(g_dClimbPeak, 1.0);
  EXPECT_EQ(state.dLatPeak, 46.0);
}

TEST_F(NavigationTest, PeakIsTakenByAStrongerClimbAndExpiresTenMinutesLaterAcrossMidnight) {
  Step(234000, 46.0, 8.0, 1.0);
  Step(234500, 46.2, 8.0, 0.8);  // weaker: the peak stays
  EXPECT_EQ(state.dLatPeak, 46.0);
  Step(235900, 46.3, 8.1, 2.0);  // stronger: a new peak at 23:59:00
  EXPECT_EQ(std::pair(state.dLatPeak, state.dLonPeak), std::pair(46.3, 8.1));
  Step(900, 46.3, 8.1, -2.0);  // 00:09:00 is 600 s later, not a day earlier: still the peak
  EXPECT_EQ(g_dClimbPeak, 2.0);
  Step(901, 46.3, 8.1, 0.5);  // climbing, weaker, and 601 s old: expired
  EXPECT_EQ(g_dClimbPeak, -1.0);
  Step(902, 46.5, 8.1, -0.5);  // still climbing: any vario above -1 is a peak
  EXPECT_EQ(g_dClimbPeak, -0.5);
}

TEST_F(NavigationTest, ThermalDriftsDownwindSinceItsPeak) {
  g_dWindSpeed = 10;
  g_dWindDir = 90;  // toward the east
  Step(120000, 46, 8, -2.0);  // not climbing: the drift is the wind
  Step(120000, 46, 8, 1.5);   // the peak
  g_dHeading = 30;
  Step(120140, 46, 8, -2.0);  // 100 s later, same place: 0.85 * 100 s * 10 m/s east
  EXPECT_NEAR(g_dThermalDist, 0.85, 1e-6);
  EXPECT_NEAR(g_dThermalBearing, 90 - 30, 1e-6);  // relative to the heading
  g_dWindDir = 0;  // the wind turns while circling: the drift follows by 1 % a sentence
  Step(120141, 46, 8, 1.0);
  EXPECT_NEAR(state.dDriftEast, 9.9, 1e-9);
  g_dWindSpeed = 30;  // not believed: the drift holds
  Step(120142, 46, 8, 1.0);
  EXPECT_NEAR(state.dDriftEast, 9.9, 1e-9);
}

TEST_F(NavigationTest, StartPointInEveryQuadrantOfTheGlobe) {
  // 1 km north and 1 km east of the pilot (45 degrees) and so on, also by 180 and 0 degrees east.
  const std::pair<double, double> places[] = {{46.4, 8.0},   {41.6, -93.75}, {-27.2, 153.05},
                                              {-34.6, -58.4}, {51.5, -0.003}, {-16.0, 179.999}};
  const double directions[][3] = {{1, 1, 45}, {1, -1, -45}, {-1, 1, 135}, {-1, -1, -135}};
  for (const auto& [placeLat, placeLon] : places) {
    for (const auto& [north, east, bearing] : directions) {
      double lon = placeLon + east / (111.1 * std::cos(placeLat * g_dPi / 180));
      if (lon > 180) lon -= 360;  // across the date line
      g_bPositionRequest = true;
      Step(120000, placeLat + north / 111.1, lon, 0);  // the start point
      Step(120001, placeLat, placeLon, 0);
      EXPECT_NEAR(state.dBearingStart, bearing, 1e-6) << placeLat << "," << placeLon;
      EXPECT_NEAR(g_dStartDist, std::sqrt(2.0), 1e-6) << "111.1 km a degree";
    }
  }
}

TEST_F(NavigationTest, AStartRequestBeforeTheFirstFixTakesTheFirstFix) {
  g_bPositionRequest = true;
  Step(120000, 0, 0, 0);  // the receiver has no position yet
  EXPECT_TRUE(g_bPositionRequest);
  Step(120001, 46.4, 8.0, 0);  // the first accepted fix
  EXPECT_FALSE(g_bPositionRequest);
  EXPECT_EQ(std::pair(state.dLatStart, state.dLonStart), std::pair(46.4, 8.0));
}

}  // namespace
