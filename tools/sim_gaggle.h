// The gaggle: gliders of the pilot's kind (paragliders beside a paraglider,
// sailplanes beside a sailplane) that fly with the pilot. They circle in
// the pilot's thermals, each on a circle of its own around the thermal's
// core as the core drifts in the wind, at a height of its own above or
// below the pilot, all turning the way the pilot turns; between thermals
// they glide on the pilot's heading to either side of it, no faster than
// their trim speed. Each heads for a thermal a few seconds after the pilot
// starts to circle in it (it has seen the pilot turn), and stays about as
// long after the pilot leaves as it came in after the pilot (45 s at most):
// what it lost coming late it climbs back, so the gaggle keeps its heights. Everything
// they do is drawn from a generator of their own, so the pilot's flight
// stays as it is without them.
#pragma once

#include <random>
#include <vector>

#include "tools/flight_sim.h"
#include "tools/sim_aircraft.h"
#include "tools/sim_random.h"

class SimGaggle {
 public:
  SimGaggle(const FlightSimOptions& flight, int size);

  // The gaggle at the second of the pilot's `fix`, the pilot being at
  // `pilot` on the sky's map; then on to the next second.
  std::vector<SimAircraft> Fly(const SimFix& fix, SimPoint pilot);

 private:
  enum class Mode { kGlide, kToThermal, kCircling };
  struct Thermal {
    SimPoint core;      // where its core was when the pilot started to circle in it
    int second = 0;     // then
    double climb = 0;   // the pilot's climb in it [m/s]
    double turn = 1;    // the pilot's way round: 1 right, -1 left
  };
  struct Member {
    SimAircraft now;             // its identity, and where it is at this second
    double airspeed = 0;         // its trim speed [m/s]
    double circleRadius = 0;     // [m]
    double climbBias = 0;        // [m/s] beside the pilot's climb in the same lift
    double height = 0;           // [m] above the pilot, that it keeps to on average
    SimPoint place;              // on a glide: ahead (north) and right (east) of the pilot [m]
    Mode mode = Mode::kGlide;
    int thermal = -1;            // the thermal it circles or heads for
    int joinSecond = 0;          // when it heads for the newest thermal
    int lateBy = 0;              // [s] it came into its thermal after the pilot
    int leaveSecond = 0;         // when it leaves the thermal the pilot has left
    double heading = 0;          // through the air [deg]
    double bearingFromCore = 0;  // circling: where it is on its circle [deg]
    double radius = 0;           // circling: its distance from the core [m]
  };

  void Start(const SimFix& fix, SimPoint pilot);
  void FollowThePilotsThermals(const SimFix& fix, SimPoint pilot);
  void ChooseMode(Member& member) const;
  // Flies the member through this second: where it is at the next, and
  // the vertical speed it would take there, before keeping its height.
  SimPoint Move(Member& member, const SimFix& fix, SimPoint pilot, double& turn, double& climb) const;
  // Turns toward `bearing` as a glider does, after a second on its heading
  // at `speed`; the turn [deg] goes to `turn`.
  SimPoint Glide(Member& member, double bearing, double speed, double& turn) const;
  SimPoint Circle(Member& member, double& turn) const;
  SimPoint Core(int thermal, int second) const;  // the core of a thermal at a second
  double Uniform(double low, double high) { return SimUniform(m_random, low, high); }
  double EitherSide(double low, double high);  // between low and high, or -high and -low

  FlightSimOptions m_flight;
  std::mt19937 m_random;
  SimPoint m_wind;  // the air's drift in a second
  std::vector<Member> m_members;
  std::vector<Thermal> m_thermals;
  bool m_bPilotCircling = false;
  int m_nSecond = 0;
};
