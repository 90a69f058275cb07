#include "flight/air_data.h"

#include <tuple>

#include <gtest/gtest.h>

#include "base/flight_values.h"
#include "device/sensors.h"
#include "tests/support/flight_test.h"

namespace {

using AirDataTest = FlightTest;

TEST_F(AirDataTest, WindTriangle) {
  UpdateAirData(40, 0, 90, 5);  // 40 km/h due north over the ground, 5 m/s of wind toward east
  EXPECT_NEAR(g_dHeading, 335.7722546809, 1e-6);
  EXPECT_NEAR(g_dAirspeed, 43.8634243982, 1e-6);
  EXPECT_NEAR(g_dSpeedOnHeading, 36.4769, 1e-3);
}

TEST_F(AirDataTest, HeadingIsAlwaysABearing) {
  const std::tuple<double, double, double> cases[] = {  // north, east [km/h]; heading
      {10, 10, 45}, {10, -10, 315}, {0.01, 5, 89.885408}, {-10, 10, 135}, {-10, -10, 225},
      {-10, 0, 180}, {0.005, 0, 0}, {0.005, -10, 270.02865}, {0, -3, 270}, {0, 0, 123},
      {0.01, 0, 0}, {0.01, -1e-9, 360 - 5.7e-6}};
  for (const auto& [north, east, heading] : cases)  // 0..360; at rest the last one is kept
    EXPECT_NEAR(HeadingOf(north, east, 123), heading, 1e-5) << north << "," << east;
}

TEST_F(AirDataTest, GlideRatioOnlyWhileSinking) {
  for (const auto& [vario, ratio] : {std::pair{-1.0, 10.0}, {-0.05, 100.0}, {-0.1, 100.0},
                                     {-0.2, 50.0}, {0.0, 100.0}, {1.5, 100.0}}) {
    g_dVario = vario;
    UpdateAirData(36, 90, 0, 0);  // 10 m/s along the heading; the ratio is at most 100
    EXPECT_NEAR(g_dGlideRatio, ratio, 1e-9) << vario;
  }
}

TEST_F(AirDataTest, CompassAndGSensorAreReadOnlyOnceOpened) {
  ScriptedSensors sensors;
  sensors.direction = 275;
  sensors.g[2] = 1.0f;
  SetSensorBackend(&sensors);
  const auto read = [] {
    UpdateAirData(36, 90, 0, 0);
    return std::pair<double, float>(g_dCompassDir, g_fAccelZ);
  };
  EXPECT_EQ(read(), std::pair(0.0, 0.0f));  // not opened at start-up: nothing is read
  g_bCompassOpen = true;
  EXPECT_EQ(read(), std::pair(275.0, 1.0f));
  sensors.calibrated = false;  // the direction keeps its value, the G-sensor is still read
  sensors.direction = 10;
  sensors.g[2] = 2.0f;
  EXPECT_EQ(read(), std::pair(275.0, 2.0f));
}

}  // namespace
