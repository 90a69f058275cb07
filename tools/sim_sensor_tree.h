// The sensors of a simulated flight as a sysfs tree in a storage folder's
// "sys" (where the instrument looks before the kernel's /sys): a barometer,
// a magnetometer with an accelerometer, and a battery. Every value is
// replaced by writing a new file and renaming it over the old one, so the
// instrument never reads half a number.
//
// The tree lives only as long as this object: a tree left behind would
// give a real flight a frozen barometer.
#pragma once

#include <filesystem>

class SimSensorTree {
 public:
  explicit SimSensorTree(const std::filesystem::path& storageFolder);
  ~SimSensorTree();
  SimSensorTree(const SimSensorTree&) = delete;
  SimSensorTree& operator=(const SimSensorTree&) = delete;

  // The sensors of a glider at `altitude` [m, standard atmosphere], its
  // nose toward `heading` [deg], banked by `bank` [deg], with `battery` %.
  void Update(double altitude, double heading, double bank, int battery);

 private:
  void Put(const std::filesystem::path& file, const std::string& value);

  std::filesystem::path m_root;  // the "sys" folder
};

// The pressure [kPa] of the standard atmosphere at `altitude` [m].
double StandardPressure_kPa(double altitude);
