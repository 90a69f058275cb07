#include "flight/air_data.h"

#include <cmath>

#include <gtest/gtest.h>

#include "base/flight_values.h"
#include "device/sensor_backend.h"
#include "device/sensors.h"
#include "tests/support/flight_test.h"

namespace {

using AirDataTest = FlightTest;

TEST_F(AirDataTest, WorkedExamples) {
  struct Case {
    double speed, course, windDir, windSpeed;
    double heading, airspeed, speedOnHeading;
  } cases[] = {
      {36, 90, 0, 0, 90, 36, 36},                           // calm air
      {40, 0, 90, 5, 335.7722546809, 43.8634243982, 36.4769},  // wind toward east
      {30, 180, 0, 0, 180, 30, 30},
      {30, 270, 0, 0, 270, 30, 30},                         // N = 0, E < 0: due west
      {30, 45, 45, 0, 45, 30, 30},
      {0, 0, 0, 0, 90, 0, 0},                               // at rest: heading kept
  };
  for (const auto& c : cases) {
    g_dHeading = 90;  // the heading kept when there is no air velocity
    UpdateAirData(c.speed, c.course, c.windDir, c.windSpeed);
    EXPECT_NEAR(g_dHeading, c.heading, 1e-6) << c.course;
    EXPECT_NEAR(g_dAirspeed, c.airspeed, 1e-6) << c.course;
    EXPECT_NEAR(g_dSpeedOnHeading, c.speedOnHeading, 1e-3) << c.course;
  }
}

TEST_F(AirDataTest, HeadingIsAlwaysABearing) {
  struct Case {
    double north, east, heading;
  } cases[] = {
      {10, 10, 45},    {10, -10, 315},   {0.01, 5, 89.885408},  {-10, 10, 135},
      {-10, -10, 225}, {-10, 0, 180},    {0.005, 0, 0},         {0.005, -10, 270.02865},
      {0, -3, 270},    {0, 0, 123},      {0.01, 0, 0},          {0.01, -1e-9, 360 - 5.7e-6},
  };
  for (const auto& c : cases) {
    const double h = HeadingOf(c.north, c.east, 123);
    EXPECT_NEAR(h, c.heading, 1e-5) << c.north << "," << c.east;
    EXPECT_TRUE(h >= 0 && h <= 360) << h;
  }
}

TEST_F(AirDataTest, GlideRatio) {
  struct Case {
    double vario, ratio;
  } cases[] = {{-1.0, 10}, {-0.05, 100}, {-0.1, 100}, {-0.2, 50}, {0, 100}, {1.5, 100}};
  for (const auto& c : cases) {
    g_dVario = c.vario;
    UpdateAirData(36, 90, 0, 0);  // 36 km/h along the heading
    EXPECT_NEAR(g_dGlideRatio, c.ratio, 1e-9) << c.vario;
  }
  // Flying backwards over the ground in a strong wind gives a negative
  // ratio, kept as it is.
  g_dVario = -1.0;
  UpdateAirData(10, 180, 180, 10);  // 26 km/h north into 36 km/h of wind
  EXPECT_LT(g_dGlideRatio, 0);
}

TEST_F(AirDataTest, CompassAndGSensorSampling) {
  ScriptedSensors sensors;
  sensors.direction = 275;
  sensors.g[0] = 0.5f;
  sensors.g[1] = -0.25f;
  sensors.g[2] = 1.0f;
  SetSensorBackend(&sensors);

  // Not opened at start-up: nothing is read.
  UpdateAirData(36, 90, 0, 0);
  EXPECT_EQ(g_dCompassDir, 0);
  EXPECT_EQ(g_fAccelX, 0);

  g_bCompassOpen = true;
  UpdateAirData(36, 90, 0, 0);
  EXPECT_EQ(g_dCompassDir, 275);
  EXPECT_EQ(g_fAccelX, 0.5f);
  EXPECT_EQ(g_fAccelY, -0.25f);
  EXPECT_EQ(g_fAccelZ, 1.0f);

  // Calibration lost: the direction keeps its value, G values still read.
  sensors.calibrated = false;
  sensors.direction = 10;
  sensors.g[2] = 2.0f;
  UpdateAirData(36, 90, 0, 0);
  EXPECT_EQ(g_dCompassDir, 275);
  EXPECT_EQ(g_fAccelZ, 2.0f);
}

}  // namespace
