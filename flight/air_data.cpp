#include "flight/air_data.h"

#include <cmath>

#include "base/angles.h"
#include "base/flight_values.h"
#include "device/gm130api.h"
#include "device/sensors.h"

double HeadingOf(double north, double east, double previous) {
  double h = 0;
  if (north > 0.01) {
    h = RadToDeg(std::atan(east / north));
  } else if (east > 0) {
    h = 90 - RadToDeg(std::atan(north / east));
  } else if (north < 0 && east < 0) {
    h = 90 - RadToDeg(std::atan(north / east)) + 180;
  } else if (north < 0 && east == 0) {
    h = 180;
  } else if (north == 0 && east == 0) {
    // At rest in calm air there is no heading to be had: keep the last one.
    return previous;
  } else {
    // Northward by at most 0.01 km/h and not eastward: the bearing itself,
    // 0 for due north and towards 270 for due west.
    h = RadToDeg(std::atan2(east, north));
  }
  if (h > 360) h -= 360;
  if (h < 0) h += 360;
  return h;
}

void UpdateAirData(double speed, double course, double windDir, double windSpeed) {
  const double northGround = speed * std::cos(DegToRad(course));
  const double eastGround = speed * std::sin(DegToRad(course));
  const double northWind = windSpeed * std::cos(DegToRad(windDir)) * 3.6;
  const double eastWind = windSpeed * std::sin(DegToRad(windDir)) * 3.6;
  const double north = northGround - northWind;
  const double east = eastGround - eastWind;

  const double heading = HeadingOf(north, east, g_dHeading);
  g_dHeading = heading;

  if (g_bCompassOpen) {
    if (compCalibrateOK() != 0) g_dCompassDir = compGetDirection();
    // Read whether calibrated or not: the acceleration log needs them.
    compGetGSensorData(&g_fAccelX, &g_fAccelY, &g_fAccelZ);
  }

  g_dAirspeed = std::sqrt(north * north + east * east);
  g_dSpeedOnHeading = speed * std::cos(DegToRad(course - heading));

  if (g_dVario < 0) {
    const double ratio = -((g_dSpeedOnHeading * 0.2777777777777778) / g_dVario);
    g_dGlideRatio = ratio > kGlideRatioCap ? kGlideRatioCap : ratio;
  } else {
    g_dGlideRatio = kGlideRatioCap;
  }
}
