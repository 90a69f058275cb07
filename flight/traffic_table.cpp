#include "flight/traffic_table.h"

#include <algorithm>
#include <limits>

namespace {

// Which of two targets the pilot needs less: one that does not alarm, then
// the farther (a target without a distance counts as farthest).
double Need(const TrafficTarget& target) {
  if (target.nAlarmLevel > 0) return -1.0 * target.nAlarmLevel;
  return target.Distance().value_or(std::numeric_limits<double>::max());
}

}  // namespace

bool TrafficTable::TakeStatus(const TrafficAlarm& alarm, double now) {
  const bool cameBack = !m_picture.bDevice;
  m_picture.bDevice = true;
  m_dStatusHeard = now;
  if (alarm.nLevel > 0) m_dAlarmHeard = now;
  const bool changed = !(m_picture.alarm == alarm);
  m_picture.alarm = alarm;
  return changed || cameBack;
}

bool TrafficTable::TakeTarget(TrafficTarget target, double now) {
  if (!m_picture.bDevice) return false;
  target.dHeard = now;
  std::vector<TrafficTarget>& targets = m_picture.targets;
  const auto same = std::find_if(targets.begin(), targets.end(),
                                 [&](const TrafficTarget& t) { return t.strId == target.strId; });
  if (same != targets.end()) {
    // The name is not in every sentence: the one heard before stays.
    if (target.strName.empty()) target.strName = std::move(same->strName);
    *same = std::move(target);
    return true;
  }
  if (targets.size() < kMaxTargets) {
    targets.push_back(std::move(target));
    return true;
  }
  const auto least = std::max_element(targets.begin(), targets.end(),
                                      [](const TrafficTarget& a, const TrafficTarget& b) { return Need(a) < Need(b); });
  if (Need(target) >= Need(*least)) return false;
  *least = std::move(target);
  return true;
}

bool TrafficTable::Age(double now) {
  if (!m_picture.bDevice) return false;
  if (now - m_dStatusHeard >= kDeviceSeconds) {
    m_picture = TrafficPicture{};
    return true;
  }
  bool changed = false;
  if (m_picture.alarm.nLevel > 0 && now - m_dAlarmHeard >= kTargetSeconds) {
    m_picture.alarm = TrafficAlarm{};
    changed = true;
  }
  const std::size_t before = m_picture.targets.size();
  std::erase_if(m_picture.targets, [&](const TrafficTarget& t) { return now - t.dHeard >= kTargetSeconds; });
  return changed || m_picture.targets.size() != before;
}
