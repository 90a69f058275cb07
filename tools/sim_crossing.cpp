#include "tools/sim_crossing.h"

#include <algorithm>
#include <random>
#include <vector>

SimCrossing::SimCrossing(const FlightSimOptions& flight, int closestSecond)
    : m_nClosestSecond(closestSecond) {
  // The pilot on the sky's map at each second, up to the one after the closest.
  FlightSimulator pilot(flight);
  std::vector<SimPoint> track = {{}};
  SimFix fix;
  for (int second = 0; second <= closestSecond; ++second) {
    fix = pilot.Next();
    track.push_back(track.back() + SimGroundStep(fix));
  }
  const int first = std::max(closestSecond - 1, 0);
  const SimPoint pilotVelocity =
      (1.0 / (closestSecond + 1 - first)) * (track[closestSecond + 1] - track[first]);
  m_velocity = SimToward(SimCompass(fix.course + kCrossingTrack), kCrossingSpeed);
  // It passes across its line of approach as the pilot sees it, on the side
  // the pilot is flying to: in front of the pilot (abeam of a pilot flying
  // just as it does, which never sees it come).
  const SimPoint approach = m_velocity - pilotVelocity;
  const double closing = SimLength(approach);
  SimPoint across = closing > 0 ? (1 / closing) * SimPoint{approach.north, -approach.east}
                                : SimToward(SimBearing(m_velocity) + 90, 1);
  if (across.east * pilotVelocity.east + across.north * pilotVelocity.north < 0) across = -1 * across;

  std::seed_seq seed = {flight.seed, 2u};
  std::mt19937 random(seed);
  m_closest.id = SimDeviceId(0xDF, random);
  m_closest.type = kSimGliderType;
  m_closest.position = track[closestSecond] + kCrossingMiss * across;
  m_closest.altitude = fix.exactAltitude + kCrossingAbove;
  m_closest.track = SimBearing(m_velocity);
  m_closest.groundSpeed = kCrossingSpeed;
  m_closest.climb = -kCrossingSink;
}

SimAircraft SimCrossing::At(int second) const {
  SimAircraft glider = m_closest;
  const double seconds = second - m_nClosestSecond;
  glider.position = m_closest.position + seconds * m_velocity;
  glider.altitude = m_closest.altitude - kCrossingSink * seconds;
  return glider;
}
