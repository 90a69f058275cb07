// The sensor library on Linux: barometer, compass with G-sensor and
// battery gauge read from the kernel's sysfs.
//
//   barometer     the first IIO device (<root>/bus/iio/devices/iio:deviceN,
//                 N in numeric order) with a pressure channel giving a
//                 plausible reading: in_pressure_input [kPa], or
//                 in_pressure_raw with optional in_pressure_offset and
//                 in_pressure_scale, (raw + offset) * scale [kPa]. Once
//                 open it is sampled on a thread of its own (see
//                 barometer_sampler.h) at the finest oversampling its
//                 driver offers (in_pressure_oversampling_ratio). Its
//                 own temperature, where the device gives one
//                 (in_temp_input, or in_temp_raw with its offset and
//                 scale [milli deg C]), is read once a kTemperatureInterval
//                 and goes with every sample until the next.
//   compass       the first IIO device with in_magn_{x,y,z}_raw [gauss after
//                 scale], and the first with in_accel_{x,y,z}_raw [m/s^2
//                 after scale]; both must be there and readable. A scale
//                 and offset may be given per axis (in_magn_x_scale) or for
//                 all axes (in_magn_scale).
//   battery       the first <root>/class/power_supply/* in name order whose
//                 type is "Battery", that powers the system (not a
//                 peripheral's battery, scope "Device") and has a capacity
//                 of 0..100 [%]
//
// Axes, as the kernel documents them for handhelds: with the instrument
// lying flat, screen up, x points to its right edge, y to its top edge and
// z out of the screen. The compass direction is that of the top edge,
// whole degrees clockwise from magnetic north (0..359), from the
// horizontal field: atan2(-x, y). The G-sensor values are x, y, z in g
// (flat and at rest: 0, 0, +1).
//
// A file that cannot be read or holds no number, or a value outside what
// the sensor can measure, is a failed reading: the device does not open,
// or a reading of an open device keeps the last good value (altitude,
// direction), or gives 0 (G values, as before any reading).
//
// A device that goes away while open (its driver unbound and bound again,
// which makes a new iio:deviceN) is looked for again among the IIO
// devices, at most once a kSearchInterval, and read wherever it is found.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

#include "device/barometer_sampler.h"
#include "device/sensor_backend.h"

class SysfsSensors final : public SensorBackend {
 public:
  // `root` stands for /sys. Every barometer sample goes to `sink`, on the
  // sampling thread, from the barometer's opening until this object goes.
  explicit SysfsSensors(std::filesystem::path root, BarometerSampler::Sink sink = nullptr,
                        std::chrono::microseconds samplingPeriod = BarometerSampler::kPeriod);
  ~SysfsSensors() override;
  SysfsSensors(const SysfsSensors&) = delete;
  SysfsSensors& operator=(const SysfsSensors&) = delete;

  static constexpr std::chrono::seconds kSearchInterval{1};
  // The air in the instrument warms and cools over minutes; a reading of
  // the temperature may cost the sensor a conversion of its own.
  static constexpr std::chrono::seconds kTemperatureInterval{1};

  // Finds the barometer, sets its oversampling and starts sampling it.
  bool OpenBarometer() override;
  // The latest sample's whole metres (a failed reading keeps the last).
  int BarometricAltitude() override;
  // The IIO device's "name" (its driver's).
  std::string BarometerName() const override { return m_strBarometerName; }

  bool OpenCompass() override;
  // The direction can be trusted when the field has the strength of the
  // earth's (0.1 to 1 gauss) and at least 0.05 gauss of it lie in the
  // screen's plane: a compass far off by iron or a magnet, or held on edge,
  // says no.
  bool CompassCalibrated() override;
  int CompassDirection() override;
  void GSensor(float& first, float& second, float& third) override;

  bool OpenBattery() override;
  int BatteryLevel() override;
  void CloseBattery() override;

 private:
  struct Vector {
    double x, y, z;
  };
  // A channel's value file on the barometer's device: <channel>_input, or
  // <channel>_raw with the factors found at the opening.
  struct ValueFile {
    std::string name;
    int fd = -1;                   // held open on sysfs
    double offset = 0, scale = 1;  // value = (raw + offset) * scale
  };
  // The barometer's channels as found at its opening.
  struct PressureChannel {
    int folder = -1;            // the device's folder, held open (O_PATH)
    bool kernelFiles = false;   // on sysfs: the files stay the same for the device's life
    ValueFile pressure;         // [kPa]
    std::optional<ValueFile> temperature;   // [milli deg C]
  };
  bool FindPressureChannel();
  bool FindPressureChannelAgain();
  bool OpenPressureChannel(const std::filesystem::path& device);
  bool OpenValueFile(ValueFile& file) const;
  ssize_t ReadValueFile(const ValueFile& file, char* buffer, std::size_t size) const;
  void LosePressureChannel();
  void ClosePressureChannel();
  void CloseBarometer();
  std::optional<double> ReadPressure_hPa();
  std::optional<double> ReadTemperature_C() const;
  std::optional<BarometerReading> ReadBarometer();
  bool FindCompass();
  bool FindCompassAgain();
  std::optional<Vector> ReadField();
  std::optional<Vector> ReadAcceleration();

  std::filesystem::path m_root;
  BarometerSampler::Sink m_sink;
  std::chrono::microseconds m_samplingPeriod;
  // The barometer's channel; after the opening only the sampling thread
  // touches it.
  PressureChannel m_pressure;
  std::filesystem::path m_barometerDevice;
  std::chrono::steady_clock::time_point m_nextSearch{};
  std::optional<double> m_lastTemperature_C;
  std::chrono::steady_clock::time_point m_nextTemperatureRead{};
  std::string m_strBarometerName;
  std::filesystem::path m_magnetometer;   // IIO device folders, empty until found
  std::filesystem::path m_accelerometer;
  std::chrono::steady_clock::time_point m_nextCompassSearch{};
  int m_nLastDirection = 0;               // [deg]
  std::optional<int> m_nBatteryLevel;     // [%] while the gauge is open
  // Last: its thread reads the barometer's folder, and stops first.
  std::unique_ptr<BarometerSampler> m_pSampler;
};

// The finest oversampling `device`'s driver offers for its pressure
// (in_pressure_oversampling_ratio_available), set unless it already is.
// Returns the ratio in use, or nullopt where the driver has no such choice.
// A ratio that cannot be set (the program may not write to sysfs) leaves
// the driver's own.
std::optional<int> ChooseFinestOversampling(const std::filesystem::path& device);

// The charge [%] of the battery that powers the system (as OpenBattery
// finds it under `root`, standing for /sys) read now; from any thread.
std::optional<int> SystemBatteryPercent(const std::filesystem::path& root);

// The sysfs the sensors are read from: "<storageFolder>/sys" when that
// folder exists (a simulated sensor tree laid out like the kernel's), else
// /sys.
std::filesystem::path SensorRoot(const std::filesystem::path& storageFolder);
