// Angle conversions with the instrument's value of pi (g_dPi). Every
// bearing, heading and wind direction goes through these two, so the
// values shown agree to the last digit with what the instrument has always
// shown.
#pragma once

#include "base/flight_values.h"

inline double DegToRad(double degrees) { return degrees * g_dPi * (1.0 / 180); }
inline double RadToDeg(double radians) { return radians / g_dPi * 180; }
