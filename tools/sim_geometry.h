// The simulated sky's geometry: a flat map in metres east and north of the
// pilot's first fix (the flights are a few tens of kilometres, the traffic
// within a few of the pilot), compass bearings in degrees, and the wind's
// drift.
#pragma once

#include <cmath>
#include <numbers>

struct SimPoint {
  double east = 0, north = 0;  // [m]
};

inline SimPoint operator+(SimPoint a, SimPoint b) { return {a.east + b.east, a.north + b.north}; }
inline SimPoint operator-(SimPoint a, SimPoint b) { return {a.east - b.east, a.north - b.north}; }
inline SimPoint operator*(double k, SimPoint a) { return {k * a.east, k * a.north}; }

inline double SimRad(double degrees) { return degrees * std::numbers::pi / 180; }
inline double SimDeg(double radians) { return radians * 180 / std::numbers::pi; }
// A bearing in [0, 360).
inline double SimCompass(double degrees) { return std::fmod(std::fmod(degrees, 360) + 360, 360); }

// `metres` along the bearing.
inline SimPoint SimToward(double bearing, double metres) {
  return {metres * std::sin(SimRad(bearing)), metres * std::cos(SimRad(bearing))};
}
inline double SimLength(SimPoint a) { return std::hypot(a.east, a.north); }
// The bearing of a displacement, [0, 360); north for none.
inline double SimBearing(SimPoint a) { return SimCompass(SimDeg(std::atan2(a.east, a.north))); }

// How far the air carries everything in a second: a wind from `from`
// degrees blows toward the opposite bearing.
inline SimPoint SimWindDrift(double from, double speed) { return SimToward(from, -speed); }
