#include "tools/sim_traffic_alarm.h"

#include <algorithm>
#include <cmath>

SimAlarm SimTrafficAlarm(std::span<const SimSeparation> seconds, std::size_t now) {
  const std::size_t end = std::min(seconds.size(), now + kAlarmLookAhead + 2);
  const auto distance = [](const SimSeparation& s) { return std::hypot(s.horizontal, s.vertical); };
  std::size_t closest = 0;
  for (std::size_t i = 1; i < end; ++i) {
    if (distance(seconds[i]) < distance(seconds[closest])) closest = i;
  }
  if (closest < now || closest > now + kAlarmLookAhead) return {};
  const SimSeparation& at = seconds[closest];
  if (!(at.horizontal < kCollisionHorizontal && std::fabs(at.vertical) < kCollisionVertical)) return {};
  const int ahead = static_cast<int>(closest - now);
  return {ahead <= 8 ? 3 : ahead <= 12 ? 2 : 1, ahead};
}
