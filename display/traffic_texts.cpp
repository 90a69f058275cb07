#include "display/traffic_texts.h"

#include <cmath>

#include "base/text_format.h"

namespace {

std::string Km(double metres) { return FormatFixed(metres / 1000, 0, 1); }

// "%+.0f", but never "-0": a height that rounds to 0 is level with the pilot.
std::string SignedMetres(double metres) {
  const double whole = std::nearbyint(metres);
  if (whole == 0) return "+0";
  return (whole > 0 ? "+" : "") + FormatFixed(whole, 0, 0);
}

}  // namespace

std::string TrafficFieldText(const TrafficPicture& traffic) {
  if (!traffic.bDevice) return "Tr --";
  std::string text = "Tr " + std::to_string(traffic.targets.size());
  if (const TrafficTarget* nearest = traffic.Nearest()) {
    text += " " + Km(*nearest->Distance());
    if (nearest->dVertical) text += " " + SignedMetres(*nearest->dVertical);
  }
  return text;
}

int ClockHour(double bearing) {
  // Whole hours of 30 degrees, half-way rounded away from 0 (15 degrees
  // right is 1h, 15 left 11h); 0 hours is 12.
  const long hours = std::lround(bearing / 30) % 12;
  return hours <= 0 ? static_cast<int>(hours + 12) : static_cast<int>(hours);
}

std::string TrafficAlarmText(const TrafficAlarm& alarm) {
  if (alarm.nLevel <= 0) return "";
  std::string text = "!" + std::to_string(alarm.nLevel);
  if (alarm.dBearing) text += " " + std::to_string(ClockHour(*alarm.dBearing)) + "h";
  if (alarm.dDistance) text += " " + Km(*alarm.dDistance);
  if (alarm.dVertical) text += " " + SignedMetres(*alarm.dVertical);
  return text;
}
