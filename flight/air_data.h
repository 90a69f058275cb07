// Air data: the velocity through the air is the GPS ground velocity minus
// the wind. Its bearing is the heading, its length the true airspeed; from
// the heading follow the ground speed along the heading and the glide
// ratio. The same step samples the compass and the G-sensor.
#pragma once

// The largest glide ratio shown; level flight and climbs show it too.
inline constexpr double kGlideRatioCap = 100;

// One call per accepted fix, after the wind estimation: ground speed
// [km/h], course [deg], wind direction [deg, toward which the air moves]
// and wind speed [m/s]. Writes g_dHeading, g_dAirspeed, g_dSpeedOnHeading,
// g_dGlideRatio, and while the compass is open g_dCompassDir (when it
// reports itself calibrated) and the three G values.
void UpdateAirData(double speed, double course, double windDir, double windSpeed);

// The heading [deg, 0..360] of the velocity through the air (north, east
// [km/h]), clockwise from north; `previous` when the velocity is zero.
double HeadingOf(double north, double east, double previous);
