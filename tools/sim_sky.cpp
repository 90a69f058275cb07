#include "tools/sim_sky.h"

SimSky::SimSky(const FlightSimOptions& flight, const TrafficOptions& traffic)
    : m_flight(flight), m_bTraffic(traffic.Any()), m_pilot(flight), m_gaggle(flight, traffic.gaggle) {
  if (traffic.crossingSecond >= 0) m_crossing.emplace(flight, traffic.crossingSecond);
}

void SimSky::FlyAhead() {
  Frame& frame = m_frames.emplace_back();
  frame.fix = m_pilot.Next();
  frame.pilot = m_nextPilot;
  frame.traffic = m_gaggle.Fly(frame.fix, frame.pilot);
  if (m_crossing) frame.traffic.push_back(m_crossing->At(m_nFlown));
  m_nextPilot = m_nextPilot + SimGroundStep(frame.fix);
  ++m_nFlown;
}

SimSecond SimSky::Next() {
  ++m_nSecond;
  if (!m_bTraffic) return {m_pilot.Next(), ""};
  // The second before the present stays, for the alarm; the one before it goes.
  if (m_nNow == 1) m_frames.pop_front();
  if (m_nSecond > 1) m_nNow = 1;
  while (m_frames.size() <= m_nNow + kAlarmLookAhead + 1) FlyAhead();
  const SimFix& fix = m_frames[m_nNow].fix;
  return {fix, SimTrafficSentences(Targets(), fix.course)};
}

std::vector<SimTarget> SimSky::Targets() const {
  const Frame& now = m_frames[m_nNow];
  std::vector<SimTarget> targets;
  std::vector<SimSeparation> separations(m_frames.size());
  for (std::size_t i = 0; i < now.traffic.size(); ++i) {
    SimTarget target{now.traffic[i], now.traffic[i].position - now.pilot,
                     now.traffic[i].altitude - now.fix.exactAltitude, {}};
    if (SimLength(target.relative) > kTrafficRange) continue;
    for (std::size_t f = 0; f < m_frames.size(); ++f) {
      const Frame& frame = m_frames[f];
      separations[f] = {SimLength(frame.traffic[i].position - frame.pilot),
                        frame.traffic[i].altitude - frame.fix.exactAltitude};
    }
    target.alarm = SimTrafficAlarm(separations, m_nNow);
    targets.push_back(target);
  }
  return targets;
}
