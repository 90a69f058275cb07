#include "flight/navigation.h"

#include <cmath>

#include <gtest/gtest.h>

#include "base/flight_values.h"
#include "base/settings_values.h"
#include "flight/flight_reset.h"
#include "tests/support/flight_test.h"

namespace {

class NavigationTest : public FlightTest {
 protected:
  // One GPRMC cycle's navigation, on a previous fix at `time` (hhmmss) and
  // (lat, lon) with the vertical speed `vario`.
  void Step(double time, double lat, double lon, double vario) {
    state.dTime = time;
    state.dLat = lat;
    state.dLon = lon;
    g_dVario = vario;
    UpdateNavigation(state);
  }

  AcquisitionState state;
};

TEST_F(NavigationTest, FirstSentenceWorksOnTheZeroStartValues) {
  g_bPositionRequest = true;  // asked before any fix: the start point is (0, 0)
  Step(0, 0, 0, 0);
  EXPECT_FALSE(g_bPositionRequest);
  EXPECT_EQ(g_dClimbPeak, 0);
  EXPECT_EQ(g_dThermalDist, 0);
  EXPECT_EQ(g_dStartDist, 0);
  EXPECT_EQ(state.dLatStart, 0);
}

TEST_F(NavigationTest, ClimbingHysteresis) {
  struct Case {
    double vario;
    bool climbing;
  } steps[] = {{-0.5, false}, {0, false}, {0.5, true}, {-0.5, true},
               {-1.0, true},  {-1.5, false}, {-0.9, false}, {0.01, true}};
  for (const auto& c : steps) {
    Step(120000, 46, 8, c.vario);
    EXPECT_EQ(g_bClimbing, c.climbing) << c.vario;
  }
}

TEST_F(NavigationTest, PeakIsTakenOnlyByAStrongerClimbAndExpires) {
  Step(120000, 46.0, 8.0, 1.0);   // climbing: peak 1.0 here
  Step(120100, 46.1, 8.0, 0.5);   // weaker: the peak stays
  EXPECT_EQ(g_dClimbPeak, 1.0);
  EXPECT_EQ(state.dLatPeak, 46.0);
  EXPECT_EQ(state.nPeakTime, 12 * 3600);

  Step(120500, 46.2, 8.0, -2.0);  // the climb ends
  Step(120500, 46.2, 8.0, 0.8);   // a new climb 300 s after the peak, weaker
  EXPECT_EQ(state.dLatPeak, 46.0);
  Step(120501, 46.3, 8.1, 2.0);   // stronger: a new peak
  EXPECT_EQ(g_dClimbPeak, 2.0);
  EXPECT_EQ(state.dLatPeak, 46.3);
  EXPECT_EQ(state.dLonPeak, 8.1);

  Step(121501, 46.3, 8.1, -2.0);  // exactly 600 s: still the peak
  EXPECT_EQ(g_dClimbPeak, 2.0);
  Step(121502, 46.3, 8.1, 0.5);   // climbing, weaker, and 601 s old: expired
  EXPECT_EQ(g_dClimbPeak, -1.0);
  Step(121503, 46.5, 8.1, -0.5);  // still climbing: any vario above -1 is a peak
  EXPECT_EQ(g_dClimbPeak, -0.5);
  EXPECT_EQ(state.dLatPeak, 46.5);
}

TEST_F(NavigationTest, WithoutAPeakTheMarkerExpiresTenMinutesAfterMidnight) {
  Step(1000, 46, 8, -2.0);  // 00:10:00
  EXPECT_EQ(g_dClimbPeak, 0);
  Step(1001, 46, 8, -2.0);
  EXPECT_EQ(g_dClimbPeak, -1.0);
}

TEST_F(NavigationTest, DriftFollowsTheWindExceptWhileClimbing) {
  g_dWindSpeed = 10;
  g_dWindDir = 90;
  Step(120000, 46, 8, -2.0);
  EXPECT_NEAR(state.dDriftEast, 10, 1e-9);
  EXPECT_NEAR(state.dDriftNorth, 0, 1e-9);

  g_dWindDir = 0;  // the wind turns while circling: 1 % per sentence
  Step(120001, 46, 8, 1.0);
  EXPECT_NEAR(state.dDriftEast, 9.9, 1e-9);
  EXPECT_NEAR(state.dDriftNorth, 0.1, 1e-9);

  g_dWindSpeed = 30;  // not believed: the drift holds
  Step(120002, 46, 8, 1.0);
  EXPECT_NEAR(state.dDriftEast, 9.9, 1e-9);
}

TEST_F(NavigationTest, ThermalDriftsDownwindSinceItsPeak) {
  // Peak here at 12:00:00 in a 10 m/s wind toward the east.
  g_dWindSpeed = 10;
  g_dWindDir = 90;
  Step(120000, 46, 8, -2.0);  // not climbing: the drift is the wind
  Step(120000, 46, 8, 1.5);
  g_dHeading = 30;
  Step(120140, 46, 8, -2.0);  // 100 s later, same place
  // 0.85 * 100 s * 10 m/s = 850 m east.
  EXPECT_NEAR(g_dThermalDist, 0.85, 1e-6);
  EXPECT_NEAR(state.dBearingThermal, 90, 1e-6);
  EXPECT_NEAR(g_dThermalBearing, 60, 1e-6);  // relative to the heading

  g_dHeading = 350;  // the relative bearing is not brought into any range
  Step(120140, 46, 8, -2.0);
  EXPECT_NEAR(g_dThermalBearing, -260, 1e-6);
}

TEST_F(NavigationTest, PeakAgeIsUnwrappedAcrossMidnight) {
  g_dWindSpeed = 10;
  g_dWindDir = 90;
  Step(235900, 46, 8, -2.0);
  Step(235900, 46, 8, 2.0);   // peak at 23:59:00
  Step(100, 46, 8, -2.0);     // 00:01:00: two minutes later, not a day earlier
  EXPECT_EQ(g_dClimbPeak, 2.0);
  EXPECT_NEAR(g_dThermalDist, 0.001 * 0.85 * 120 * 10, 1e-6);
  EXPECT_NEAR(state.dBearingThermal, 90, 1e-6);
  Step(1001, 46, 8, -2.0);    // 00:10:01: eleven minutes after the peak
  EXPECT_EQ(g_dClimbPeak, -1.0);
}

TEST_F(NavigationTest, StartPointDueNorth) {
  Step(120000, 46.1, 8, 0);
  g_bPositionRequest = true;
  Step(120001, 46.1, 8, 0);  // the start point is this fix
  EXPECT_FALSE(g_bPositionRequest);
  Step(120002, 46.0, 8, 0);
  EXPECT_NEAR(g_dStartDist, 11.11, 1e-9);
  EXPECT_NEAR(state.dBearingStart, 0, 1e-9);
}

TEST_F(NavigationTest, BearingsInEveryQuadrantOfTheGlobe) {
  // From each position the start point and the thermal peak lie 1 km
  // north-east (45 degrees), 1 km south-west (-135) and so on.
  struct Place {
    const char* name;
    double lat, lon;
  } places[] = {{"north-east", 46.4, 8.0},       {"north-west", 41.6, -93.75},
                {"south-east", -27.2, 153.05},   {"south-west", -34.6, -58.4},
                {"west of Greenwich", 51.5, -0.003}, {"east of the date line", -16.0, 179.999}};
  struct Direction {
    double north, east, bearing;
  } directions[] = {{1, 1, 45}, {1, -1, -45}, {-1, 1, 135}, {-1, -1, -135}};
  for (const auto& p : places) {
    for (const auto& d : directions) {
      ResetFlight();
      state = AcquisitionState{};
      const double q = std::cos(p.lat * g_dPi * (1.0 / 180));
      double lon = p.lon + d.east / (111.1 * q);
      if (lon > 180) lon -= 360;
      const double lat = p.lat + d.north / 111.1;
      Step(120000, lat, lon, 0);  // not climbing: a peak needs a climb first
      Step(120000, lat, lon, 1.0);
      g_bPositionRequest = true;
      Step(120000, lat, lon, 1.0);
      Step(120000, p.lat, p.lon, 1.0);
      EXPECT_NEAR(state.dBearingStart, d.bearing, 1e-3) << p.name;
      EXPECT_NEAR(state.dBearingThermal, d.bearing, 1e-3) << p.name;
      EXPECT_NEAR(g_dStartDist, std::sqrt(2.0), 1e-3) << p.name;
      EXPECT_NEAR(g_dThermalDist, std::sqrt(2.0), 1e-3) << p.name;
    }
  }
}

}  // namespace
