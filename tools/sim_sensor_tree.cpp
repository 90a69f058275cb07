#include "tools/sim_sensor_tree.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "tools/sim_random.h"

namespace {

namespace fs = std::filesystem;

constexpr double kPi = 3.14159265358979323846;
constexpr double kGravity = 9.80665;  // [m/s²]
constexpr double kHorizontalField = 0.3, kVerticalField = 0.4;  // [gauss], mid-latitude Earth

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", value);
  return text;
}

}  // namespace

double StandardPressure_kPa(double altitude) {
  return 101.325 * std::pow(1 - 2.25577e-5 * altitude, 5.25588);
}

double StandardTemperature_C(double altitude) { return 15.0 - 0.0065 * altitude; }

SimSensorTree::SimSensorTree(const fs::path& storageFolder, double pressureNoise_hPa, std::uint32_t seed)
    : m_root(storageFolder / "sys"), m_pressureNoise_kPa(pressureNoise_hPa / 10), m_random(seed) {
  fs::create_directories(m_root / "bus/iio/devices/iio:device0");
  fs::create_directories(m_root / "bus/iio/devices/iio:device1");
  fs::create_directories(m_root / "class/power_supply/BAT0");
  Put(m_root / "class/power_supply/BAT0/type", "Battery");
  Put(m_root / "bus/iio/devices/iio:device0/name", "ms5611");
}

SimSensorTree::~SimSensorTree() {
  std::error_code ignored;
  fs::remove_all(m_root, ignored);
}

void SimSensorTree::Put(const fs::path& file, const std::string& value) {
  fs::path fresh = file;
  fresh += ".new";
  std::ofstream out(fresh, std::ios::trunc);
  out << value << "\n";
  out.close();
  std::error_code ignored;
  // A file that could not be written whole (a full card) leaves the old
  // value in place: a sensor that lags is better than one that reads "".
  if (out.fail()) {
    fs::remove(fresh, ignored);
    return;
  }
  fs::rename(fresh, file, ignored);
}

double SimSensorTree::Gaussian() { return StandardGaussian(m_random); }

void SimSensorTree::UpdatePressure(double altitude) {
  const double noise = m_pressureNoise_kPa > 0 ? m_pressureNoise_kPa * Gaussian() : 0;
  m_altitude = altitude;
  Put(m_root / "bus/iio/devices/iio:device0/in_pressure_input",
      Number(StandardPressure_kPa(altitude) + noise));
}

void SimSensorTree::UpdateAttitude(double heading, double bank, int battery) {
  const fs::path motion = m_root / "bus/iio/devices/iio:device1";
  // Lying flat, y toward the top edge: the field's horizontal part points
  // north, so the top edge at `heading` sees it turned by -heading.
  const double h = heading * kPi / 180;
  Put(motion / "in_magn_x_raw", Number(-kHorizontalField * std::sin(h)));
  Put(motion / "in_magn_y_raw", Number(kHorizontalField * std::cos(h)));
  Put(motion / "in_magn_z_raw", Number(-kVerticalField));
  // In a banked turn the load presses the pilot into the seat: 1 / cos(bank) g.
  Put(motion / "in_accel_x_raw", Number(0));
  Put(motion / "in_accel_y_raw", Number(0));
  Put(motion / "in_accel_z_raw", Number(kGravity / std::cos(bank * kPi / 180)));
  Put(m_root / "class/power_supply/BAT0/capacity", std::to_string(battery));
  Put(m_root / "bus/iio/devices/iio:device0/in_temp_input",
      std::to_string(std::lround(StandardTemperature_C(m_altitude) * 1000)));  // [milli deg C]
}
