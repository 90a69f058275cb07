// The wind from the circles flown in thermals. Circling at a steady
// airspeed, the ground-velocity vectors of one full turn lie on a circle:
// its centre is the wind, its radius the airspeed. Each time the course has
// turned through a full circle, one way and within a minute, a circle is
// fitted to that turn's ground velocities; a good fit joins the estimate,
// which favours the recent circles and the closer fits. In straight flight
// the estimate stays as the last circle left it.
//
// Beside the four-sector estimate (flight/wind.h), which it does not touch.
// Fed once per accepted fix; a fixed amount of work and no allocation per
// fix (at most one minute of fixes is kept, in a fixed ring).
#pragma once

#include <array>

#include "base/flight_values.h"

class CircleWindEstimator {
 public:
  // What one fix did.
  enum class Outcome {
    kTurning,          // no full circle completed at this fix (straight flight too)
    kFitted,           // a circle was fitted and joined the estimate
    kTooFewPoints,     // a full circle of too few fixes, or none on part of it
    kPoorFit,          // the fixes lie off any circle, or give no plausible airspeed
    kAirspeedChanged,  // the airspeed changed too much within the circle
  };

  // Course over ground [deg], ground speed [km/h], and the fix's time as
  // whole seconds on a line that keeps increasing (the loop's elapsed time).
  Outcome AddFix(double course, double speed, int seconds);

  // The estimate so far (bFitted false until the first good circle).
  const CircleWind& Result() const { return m_result; }

  // The fit's bounds, with the pilot's units.
  static constexpr int kMaxCircleSeconds = 60;     // a slower turn is no thermalling circle
  static constexpr int kMaxStepSeconds = 3;        // a longer gap breaks the turn
  static constexpr double kMinStepTurn = 1.0;      // [deg] a smaller step is straight flight
  static constexpr double kMaxHeadingStep = 45;    // [deg] between two fixes, seen from the wind
  static constexpr int kMinPoints = 9;             // fixes in a circle, ends included: 8 steps of 45
  static constexpr double kMaxResidual = 1.0;      // [m/s] RMS off the fitted circle
  static constexpr double kMaxAirspeedChange = 2.0;  // [m/s] from the circle's start to its end
  static constexpr double kMinAirspeed = 15 / 3.6;   // [m/s] slowest a glider flies
  static constexpr double kResidualFloor = 0.5;    // [m/s] closer fits weigh no more
  static constexpr double kCircleMemory = 0.25;    // weight of a circle against the next one

 private:
  struct Point {
    double north = 0, east = 0;  // ground velocity [km/h]
    double turn = 0;             // degrees turned since the turn began
    int seconds = 0;
  };
  // 60 s of fixes at most one a second, and the one just added.
  static constexpr int kCapacity = kMaxCircleSeconds + 4;

  Point& At(int i) { return m_points[static_cast<unsigned>(m_nFirst + i) % kCapacity]; }
  // Keeps the last fix alone, as the start of the next turn.
  void Restart() { m_nFirst = (m_nFirst + m_nCount - 1) % kCapacity, m_nCount = 1; }
  void DropFirst() { m_nFirst = (m_nFirst + 1) % kCapacity, --m_nCount; }
  Outcome FitCircle();

  std::array<Point, kCapacity> m_points{};
  int m_nFirst = 0;
  int m_nCount = 0;
  int m_nTurnSign = 0;       // +1 right, -1 left, 0 not turning
  double m_dLastCourse = 0;
  // The circles so far, each weighed by its fit and aged by kCircleMemory
  // at every new one: sum of weights, of weighted north and east [km/h].
  double m_dWeight = 0, m_dNorth = 0, m_dEast = 0;
  CircleWind m_result;
};
