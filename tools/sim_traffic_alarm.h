// The simulated traffic device's collision alarm. The simulator knows where
// every aircraft will be, so it needs no prediction: for each target it
// looks at the true positions, whole seconds from one second ago to
// kAlarmLookAhead + 1 seconds ahead, and takes the second at which the
// target is nearest to the pilot (in three dimensions; the earlier one of a
// tie) as its closest approach. The target is on a collision course when
// that second is from now to kAlarmLookAhead seconds ahead, and the target
// will then be less than kCollisionHorizontal metres from the pilot
// horizontally and less than kCollisionVertical metres above or below. Its
// alarm level then follows from the time left to the closest approach:
//   13 to 18 s: 1, 9 to 12 s: 2, 0 to 8 s: 3;
// otherwise 0. A glider that crosses the pilot's path thus raises level 1
// 18 s before it passes closest, 2 at 12 s, 3 at 8 s, keeps 3 in the second
// it passes, and the alarm is gone the second after, when its closest
// approach lies behind.
#pragma once

#include <cstddef>
#include <span>

inline constexpr int kAlarmLookAhead = 18;        // [s]
inline constexpr double kCollisionHorizontal = 50;  // [m]
inline constexpr double kCollisionVertical = 30;    // [m]

// Where a target is from the pilot at one second.
struct SimSeparation {
  double horizontal = 0;  // [m]
  double vertical = 0;    // [m], above the pilot above 0
};

struct SimAlarm {
  int level = 0;              // 0 none, 1 to 3
  int secondsToClosest = -1;  // 0 to kAlarmLookAhead while there is an alarm
  bool operator==(const SimAlarm&) const = default;
};

// `seconds`: the target's separation from a second ago (when the flight
// had one) to kAlarmLookAhead + 1 seconds ahead; seconds[now] is the
// present one.
SimAlarm SimTrafficAlarm(std::span<const SimSeparation> seconds, std::size_t now);
