// The sensors of a simulated flight as a sysfs tree in a storage folder's
// "sys" (where the instrument looks before the kernel's /sys): a barometer,
// a magnetometer with an accelerometer, and a battery. Every value is
// replaced by writing a new file and renaming it over the old one, so the
// instrument never reads half a number.
//
// The barometer is written far more often than the rest (the instrument's
// vario samples it many times a second), with the noise of a real one.
//
// The tree lives only as long as this object: a tree left behind would
// give a real flight a frozen barometer.
#pragma once

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

class SimSensorTree {
 public:
  // A barometer with `pressureNoise_hPa` of Gaussian noise (RMS), drawn
  // from a generator seeded with `seed`, so that a run can be repeated.
  explicit SimSensorTree(const std::filesystem::path& storageFolder, double pressureNoise_hPa = 0,
                         std::uint32_t seed = 1);
  ~SimSensorTree();
  SimSensorTree(const SimSensorTree&) = delete;
  SimSensorTree& operator=(const SimSensorTree&) = delete;

  // The barometer of a glider at `altitude` [m, standard atmosphere].
  void UpdatePressure(double altitude);
  // The compass and accelerometer of a glider with its nose toward
  // `heading` [deg], banked by `bank` [deg]; the battery at `battery` %;
  // the barometer's temperature, the standard atmosphere's at the last
  // altitude.
  void UpdateAttitude(double heading, double bank, int battery);

 private:
  void Put(const std::filesystem::path& file, const std::string& value);
  double Gaussian();  // mean 0, RMS 1; the same on every standard library

  std::filesystem::path m_root;  // the "sys" folder
  double m_pressureNoise_kPa;
  std::mt19937 m_random;
  double m_altitude = 0;   // [m] of the last pressure
};

// The pressure [kPa] and temperature [deg C] of the standard atmosphere at
// `altitude` [m].
double StandardPressure_kPa(double altitude);
double StandardTemperature_C(double altitude);
