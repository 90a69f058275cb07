#include "flight/traffic_reader.h"

#include <array>
#include <charconv>
#include <cmath>

namespace {

// The fields after the sentence name, numbered from 1, the last one ending
// at the "*".
//   $PFLAU,3,1,2,1,2,-30,2,-32,755*
//          1 2 3 4 5 6   7 8   9
class TrafficFields {
 public:
  explicit TrafficFields(std::string_view sentence) {
    const std::size_t star = sentence.rfind('*');
    std::string_view rest = sentence.substr(0, star);
    const std::size_t comma = rest.find(',');
    if (comma == std::string_view::npos) return;
    rest.remove_prefix(comma + 1);
    while (m_nFields < m_fields.size()) {
      const std::size_t end = rest.find(',');
      m_fields[m_nFields++] = rest.substr(0, end);
      if (end == std::string_view::npos) break;
      rest.remove_prefix(end + 1);
    }
  }
  std::string_view operator[](std::size_t n) const {
    return n >= 1 && n <= m_nFields ? m_fields[n - 1] : std::string_view();
  }

 private:
  std::array<std::string_view, 14> m_fields{};  // the most a traffic sentence has
  std::size_t m_nFields = 0;
};

// The number a field holds, when it is one number and nothing else, within
// +-limit: a number too large for a double is absent, not 0.
std::optional<double> Number(std::string_view field, double limit) {
  if (field.starts_with('+')) field.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (error != std::errc() || end != field.data() + field.size()) return std::nullopt;
  if (!std::isfinite(value) || std::fabs(value) > limit) return std::nullopt;
  return value;
}

// Relative positions and distances: a receiver hears aircraft tens of
// kilometres away (ADS-B), nothing a thousand away.
constexpr double kMaxMetres = 1e6;

// Collision alarm levels 1 to 3; anything else (empty, 0, the information
// alerts 4 and up) is no collision alarm.
int AlarmLevel(std::string_view field) {
  const std::optional<double> level = Number(field, 3);
  return level && *level >= 1 && *level == std::floor(*level) ? static_cast<int>(*level) : 0;
}

// $PFLAU field numbers.
constexpr std::size_t kStatusLevel = 5, kStatusBearing = 6, kStatusVertical = 8, kStatusDistance = 9;
// $PFLAA field numbers.
constexpr std::size_t kTargetLevel = 1, kTargetNorth = 2, kTargetEast = 3, kTargetVertical = 4,
                      kTargetId = 6, kTargetTrack = 7;

}  // namespace

TrafficAlarm ReadTrafficStatus(std::string_view sentence) {
  const TrafficFields field(sentence);
  TrafficAlarm alarm;
  alarm.nLevel = AlarmLevel(field[kStatusLevel]);
  if (alarm.nLevel == 0) return alarm;
  alarm.dBearing = Number(field[kStatusBearing], 180);
  alarm.dVertical = Number(field[kStatusVertical], kMaxMetres);
  alarm.dDistance = Number(field[kStatusDistance], kMaxMetres);
  if (alarm.dDistance && *alarm.dDistance < 0) alarm.dDistance.reset();
  return alarm;
}

TrafficTarget ReadTrafficTarget(std::string_view sentence) {
  const TrafficFields field(sentence);
  TrafficTarget target;
  target.nAlarmLevel = AlarmLevel(field[kTargetLevel]);
  target.dNorth = Number(field[kTargetNorth], kMaxMetres);
  target.dEast = Number(field[kTargetEast], kMaxMetres);
  if (!target.dNorth) target.dEast.reset();  // an east without a north is no position
  target.dVertical = Number(field[kTargetVertical], kMaxMetres);
  const std::string_view id = field[kTargetId];
  const std::size_t bang = id.find('!');
  target.strId = id.substr(0, bang);
  if (bang != std::string_view::npos) target.strName = id.substr(bang + 1);
  target.dTrack = Number(field[kTargetTrack], 360);
  return target;
}
