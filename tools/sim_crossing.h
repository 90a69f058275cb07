// The crossing glider: a sailplane on a straight glide that comes at the
// pilot from ahead on the right, passes kCrossingMiss metres from the pilot
// and kCrossingAbove metres above at a chosen second of the flight, then
// flies on and away. Its line is laid through where the pilot will be at
// that second, found by flying the pilot's own flight (the same options
// give the same flight) up to it.
#pragma once

#include <cstdint>

#include "tools/flight_sim.h"
#include "tools/sim_aircraft.h"

inline constexpr double kCrossingSpeed = 30;  // [m/s] over ground
inline constexpr double kCrossingSink = 1.0;  // [m/s]
inline constexpr double kCrossingMiss = 30;   // [m] horizontally at the closest second
inline constexpr double kCrossingAbove = 4;   // [m] above the pilot at the closest second
// Its track, from the pilot's course at the closest second: it comes from
// 60 degrees to the right of that course.
inline constexpr double kCrossingTrack = -120;  // [deg]

class SimCrossing {
 public:
  // `closestSecond`: counted from the flight's first fix (0).
  SimCrossing(const FlightSimOptions& flight, int closestSecond);
  // The glider at `second` of the flight.
  SimAircraft At(int second) const;

 private:
  SimAircraft m_closest;  // at the closest second
  int m_nClosestSecond;
  SimPoint m_velocity;    // over ground [m/s]
};

// Where a fix's ground speed and course take the glider in its second.
inline SimPoint SimGroundStep(const SimFix& fix) { return SimToward(fix.course, fix.groundSpeed); }
