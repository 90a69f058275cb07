#include "output/lk8ex1.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr long kNoPressure = 999999;
constexpr long kNoAltitude = 99999;
constexpr long kNoVario = 9999;
constexpr long kNoTemperature = 99;
constexpr long kNoBattery = 999;
constexpr long kBatteryBase = 1000;

// The whole number nearest `value`, within [low, high]; `none` for no value.
long Whole(const std::optional<double>& value, double scale, long low, long high, long none) {
  if (!value || !std::isfinite(*value)) return none;
  return std::lround(std::clamp(*value * scale, static_cast<double>(low), static_cast<double>(high)));
}

}  // namespace

std::string Lk8ex1Sentence(const Lk8ex1Values& values) {
  const long battery = values.battery_percent
                           ? kBatteryBase + std::clamp(*values.battery_percent, 0, 100)
                           : kNoBattery;
  std::string sentence = "$LK8EX1," +
      std::to_string(Whole(values.pressure_Pa, 1, 0, kNoPressure - 1, kNoPressure)) + "," +
      std::to_string(kNoAltitude) + "," +
      std::to_string(Whole(values.vario_mps, 100, -kNoVario, kNoVario - 1, kNoVario)) + "," +
      std::to_string(Whole(values.temperature_C, 1, -kNoTemperature, kNoTemperature - 1, kNoTemperature)) + "," +
      std::to_string(battery) + ",*";
  unsigned char checksum = 0;
  for (std::size_t i = 1; i + 1 < sentence.size(); ++i) checksum ^= static_cast<unsigned char>(sentence[i]);
  static constexpr char kHex[] = "0123456789ABCDEF";
  sentence += kHex[checksum >> 4];
  sentence += kHex[checksum & 0xF];
  return sentence;
}
