#include "tools/sim_traffic_sentences.h"

#include <cmath>
#include <cstdio>

#include "tools/sim_sentence.h"

namespace {

int Whole(double value) { return static_cast<int>(std::lround(value)); }

std::string Pflaa(const SimTarget& target) {
  const SimAircraft& a = target.aircraft;
  char body[160];
  // The climb rounded to a tenth first, so that a small sink reads 0.0, not -0.0.
  std::snprintf(body, sizeof body, "PFLAA,%d,%d,%d,%d,2,%06X,%d,%d,%d,%.1f,%X", target.alarm.level,
                Whole(target.relative.north), Whole(target.relative.east), Whole(target.relativeVertical),
                a.id, Whole(a.track) % 360, Whole(a.turnRate), Whole(a.groundSpeed),
                std::round(a.climb * 10) / 10 + 0.0, static_cast<unsigned>(a.type));
  return SimSentence(body);
}

// The most urgent target: the highest level, then the nearest closest
// approach in time, then in space.
const SimTarget* MostUrgent(const std::vector<SimTarget>& targets) {
  const SimTarget* urgent = nullptr;
  for (const SimTarget& target : targets) {
    if (target.alarm.level == 0) continue;
    if (urgent == nullptr || target.alarm.level > urgent->alarm.level ||
        (target.alarm.level == urgent->alarm.level &&
         (target.alarm.secondsToClosest < urgent->alarm.secondsToClosest ||
          (target.alarm.secondsToClosest == urgent->alarm.secondsToClosest &&
           SimLength(target.relative) < SimLength(urgent->relative))))) {
      urgent = &target;
    }
  }
  return urgent;
}

std::string Pflau(const std::vector<SimTarget>& targets, double ownTrack) {
  char body[160];
  const int received = static_cast<int>(targets.size());
  const SimTarget* urgent = MostUrgent(targets);
  if (urgent == nullptr) {
    std::snprintf(body, sizeof body, "PFLAU,%d,1,2,1,0,,0,,,", received);
  } else {
    const int bearing = Whole(std::remainder(SimBearing(urgent->relative) - ownTrack, 360.0));
    std::snprintf(body, sizeof body, "PFLAU,%d,1,2,1,%d,%d,2,%d,%d,%06X", received, urgent->alarm.level,
                  bearing, Whole(urgent->relativeVertical), Whole(SimLength(urgent->relative)),
                  urgent->aircraft.id);
  }
  return SimSentence(body);
}

}  // namespace

std::string SimTrafficSentences(const std::vector<SimTarget>& targets, double ownTrack) {
  std::string sentences;
  for (const SimTarget& target : targets) sentences += Pflaa(target);
  return sentences + Pflau(targets, ownTrack);
}
