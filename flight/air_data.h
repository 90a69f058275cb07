// Air data: heading, true airspeed, ground speed along the heading and glide
// ratio from the ground velocity minus the wind; samples compass and G-sensor.
#pragma once

// One call per accepted fix: ground speed [km/h], course [deg], wind
// direction [deg] and wind speed [m/s] as the wind estimation left them.
void UpdateAirData(double speed, double course, double windDir, double windSpeed);
