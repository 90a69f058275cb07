// The simulated traffic device's alarm rule on separations laid out by
// hand: the level from the seconds left to the closest approach, only on a
// collision course, and none once the closest approach is behind.
#include "tools/sim_traffic_alarm.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace {

// A target closing at 25 m/s on a line that passes `miss` metres from the
// pilot and `above` metres above it, closest `closest` seconds after the
// first of `count` seconds.
std::vector<SimSeparation> Passing(int count, int closest, double miss, double above) {
  std::vector<SimSeparation> seconds;
  for (int s = 0; s < count; ++s) seconds.push_back({std::hypot(miss, 25.0 * (s - closest)), above});
  return seconds;
}

// 40 m from the pilot 5 s after the second second, 10 m 29 s after it.
std::vector<SimSeparation> TwoPasses() {
  std::vector<SimSeparation> seconds = Passing(15, 6, 40, 0);
  const std::vector<SimSeparation> later = Passing(40, 30, 10, 0);
  seconds.insert(seconds.end(), later.begin() + 15, later.end());
  return seconds;
}

TEST(SimTrafficAlarm, TheLevelComesFromTheSecondsToTheClosestApproachOnACollisionCourse) {
  const struct {
    std::vector<SimSeparation> seconds;
    std::size_t now;
    SimAlarm expected;
  } cases[] = {
      {Passing(21, 19, 30, 4), 1, {1, 18}},   // the first second of level 1
      {Passing(21, 20, 30, 4), 1, {}},        // 19 s ahead: not yet
      {Passing(21, 14, 30, 4), 1, {1, 13}},   {Passing(21, 13, 30, 4), 1, {2, 12}},
      {Passing(21, 10, 30, -4), 1, {2, 9}},   {Passing(21, 9, 30, 4), 1, {3, 8}},
      {Passing(21, 1, 30, 4), 1, {3, 0}},     // passing now
      {Passing(21, 0, 30, 4), 1, {}},         // passed a second ago
      {Passing(20, 0, 30, 4), 0, {3, 0}},     // the flight's first second, passing
      {Passing(21, 9, 49.9, 29.9), 1, {3, 8}},
      {Passing(21, 9, 50, 4), 1, {}},         // wide enough apart
      {Passing(21, 9, 30, -30), 1, {}},       // high or low enough apart
      {TwoPasses(), 1, {3, 5}},                // the nearer pass 29 s ahead is not looked at
      // Closing slowly, already inside at 18 s ahead, but closer still after.
      {{{200, 0}, {190, 0}, {180, 0}, {170, 0}, {160, 0}, {150, 0}, {140, 0}, {130, 0}, {120, 0}, {110, 0},
        {100, 0}, {90, 0}, {80, 0}, {70, 0}, {60, 0}, {52, 0}, {49, 0}, {48, 0}, {45, 0}, {40, 0}, {35, 0}},
       1, {}},
  };
  for (const auto& c : cases) {
    const SimAlarm alarm = SimTrafficAlarm(c.seconds, c.now);
    EXPECT_EQ(alarm, c.expected) << c.seconds.size() << " seconds, now " << c.now << ": level " << alarm.level
                                 << " in " << alarm.secondsToClosest;
  }
}

}  // namespace
