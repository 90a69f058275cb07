// The simulated flight with the traffic around it, second by second: the
// pilot's fix, and what the pilot's traffic device writes after it. The
// traffic is flown kAlarmLookAhead + 1 seconds ahead of the pilot's present,
// so that the device's alarm can be taken from where everyone will truly
// be (sim_traffic_alarm.h). Without traffic the flight is the pilot's own,
// to the byte: the traffic draws from generators of its own.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "tools/flight_sim.h"
#include "tools/sim_crossing.h"
#include "tools/sim_gaggle.h"
#include "tools/sim_traffic_sentences.h"

struct TrafficOptions {
  int gaggle = 0;           // gliders flying with the pilot
  int crossingSecond = -1;  // the second (0: the first fix) a glider crosses closest; -1: none
  bool Any() const { return gaggle > 0 || crossingSecond >= 0; }
};

// The device receives aircraft within this horizontal distance [m].
inline constexpr double kTrafficRange = 3000;

struct SimSecond {
  SimFix fix;
  std::string traffic;  // the traffic device's sentences of this second; "" without traffic
};

class SimSky {
 public:
  SimSky(const FlightSimOptions& flight, const TrafficOptions& traffic);

  bool Done() const { return m_nSecond >= m_flight.duration; }
  SimSecond Next();

 private:
  struct Frame {  // one second of everyone's flight
    SimFix fix;
    SimPoint pilot;  // on the sky's map
    std::vector<SimAircraft> traffic;
  };
  void FlyAhead();
  std::vector<SimTarget> Targets() const;  // at the present second

  FlightSimOptions m_flight;
  bool m_bTraffic;
  FlightSimulator m_pilot;
  SimGaggle m_gaggle;
  std::optional<SimCrossing> m_crossing;
  SimPoint m_nextPilot;         // the pilot's place at the next frame flown
  int m_nFlown = 0;             // frames flown
  std::deque<Frame> m_frames;   // a second ago (once there was one), now, and ahead
  std::size_t m_nNow = 0;       // the present in m_frames
  int m_nSecond = 0;            // seconds given out
};
