#include "device/sysfs_sensors.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

#include "base/flight_values.h"

namespace {

namespace fs = std::filesystem;

constexpr double kStandardGravity = 9.80665;  // [m/s^2] per g
// What the sensors can measure; a value beyond is not a reading.
constexpr double kMinPressure_kPa = 3.0;      // about 24 km up
constexpr double kMaxPressure_kPa = 120.0;    // below the deepest valley
constexpr double kMaxField_gauss = 100.0;
constexpr double kMaxAcceleration_g = 64.0;
constexpr double kMinTemperature_C = -60.0;   // beyond any sensor's range
constexpr double kMaxTemperature_C = 125.0;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// A number alone on its line, read the same way whatever the locale.
std::optional<double> ParseNumber(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  if (text.empty()) return std::nullopt;
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

// A sysfs attribute: one short line. Longer content is not an attribute.
std::optional<std::string> ReadAttribute(const fs::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  char buffer[128];
  const ssize_t count = ::read(fd, buffer, sizeof buffer);
  ::close(fd);
  if (count < 0 || static_cast<std::size_t>(count) == sizeof buffer) return std::nullopt;
  std::string_view text(buffer, static_cast<std::size_t>(count));
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return std::string(text);
}

std::optional<double> ReadNumberAttribute(const fs::path& file) {
  const std::optional<std::string> text = ReadAttribute(file);
  return text ? ParseNumber(*text) : std::nullopt;
}

bool Exists(const fs::path& file) {
  std::error_code error;
  return fs::exists(file, error);
}

// The offset and scale of an IIO channel, e.g. channel "in_magn_x" of type
// "in_magn": taken for the channel or else for its type, 0 and 1 where
// there are none. A present but unreadable one fails.
struct Factors {
  double offset = 0, scale = 1;
};
std::optional<Factors> ChannelFactors(const fs::path& device, const std::string& channel,
                                      const std::string& type) {
  auto factor = [&](const std::string& suffix, double absent) -> std::optional<double> {
    for (const std::string& name : {channel + suffix, type + suffix}) {
      if (Exists(device / name)) return ReadNumberAttribute(device / name);
    }
    return absent;
  };
  const std::optional<double> offset = factor("_offset", 0.0);
  const std::optional<double> scale = factor("_scale", 1.0);
  if (!offset || !scale) return std::nullopt;
  return Factors{*offset, *scale};
}

// The value of an IIO channel: (raw + offset) * scale.
std::optional<double> ReadChannel(const fs::path& device, const std::string& channel,
                                  const std::string& type) {
  const std::optional<double> raw = ReadNumberAttribute(device / (channel + "_raw"));
  if (!raw) return std::nullopt;
  const std::optional<Factors> factors = ChannelFactors(device, channel, type);
  if (!factors) return std::nullopt;
  return (*raw + factors->offset) * factors->scale;
}

// The IIO devices under `root`, iio:device0, iio:device1, ... in number order.
std::vector<fs::path> IioDevices(const fs::path& root) {
  std::vector<std::pair<unsigned long, fs::path>> numbered;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(root / "bus/iio/devices", error)) {
    const std::string name = entry.path().filename().string();
    constexpr std::string_view kPrefix = "iio:device";
    if (name.rfind(kPrefix, 0) != 0) continue;
    unsigned long number = 0;
    const char* end = name.data() + name.size();
    const auto result = std::from_chars(name.data() + kPrefix.size(), end, number);
    if (result.ec == std::errc() && result.ptr == end) numbered.emplace_back(number, entry.path());
  }
  std::sort(numbered.begin(), numbered.end());
  std::vector<fs::path> devices;
  for (auto& [number, path] : numbered) devices.push_back(std::move(path));
  return devices;
}

}  // namespace

SysfsSensors::SysfsSensors(std::filesystem::path root, BarometerSampler::Sink sink,
                           std::chrono::microseconds samplingPeriod)
    : m_root(std::move(root)), m_sink(std::move(sink)), m_samplingPeriod(samplingPeriod) {}

SysfsSensors::~SysfsSensors() { CloseBarometer(); }

void SysfsSensors::CloseBarometer() {
  m_pSampler.reset();  // its thread reads through the channel
  ClosePressureChannel();
}

void SysfsSensors::ClosePressureChannel() {
  if (m_pressure.pressure.fd >= 0) ::close(m_pressure.pressure.fd);
  if (m_pressure.temperature && m_pressure.temperature->fd >= 0) ::close(m_pressure.temperature->fd);
  if (m_pressure.folder >= 0) ::close(m_pressure.folder);
  m_pressure = {};
  m_lastTemperature_C.reset();
}

// Read fifty times a second, so on the kernel's sysfs each reading is one
// pread of the value's file held open since the opening (an attribute
// gives its current value at every read from its start); the factors of a
// raw channel are known from the opening. A file that is not the kernel's
// (a simulated tree, whose writer puts a new file in place of the old a
// hundred times a second) is opened for each reading, so that the newest
// is read and the old ones go with their writer.
ssize_t SysfsSensors::ReadValueFile(const ValueFile& file, char* buffer, std::size_t size) const {
  if (m_pressure.kernelFiles) return ::pread(file.fd, buffer, size, 0);
  const int fd = ::openat(m_pressure.folder, file.name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  const ssize_t count = ::read(fd, buffer, size);
  const int error = errno;
  ::close(fd);
  errno = error;
  return count;
}

std::optional<double> SysfsSensors::ReadPressure_hPa() {
  if (m_pressure.folder < 0 && !FindPressureChannelAgain()) return std::nullopt;
  char buffer[64];
  const ssize_t count = ReadValueFile(m_pressure.pressure, buffer, sizeof buffer);
  // Gone: the driver let the device go (ENODEV), or its file was removed.
  if (count < 0 && (errno == ENODEV || errno == ENOENT)) {
    LosePressureChannel();
    return std::nullopt;
  }
  if (count <= 0 || static_cast<std::size_t>(count) == sizeof buffer) return std::nullopt;
  const std::optional<double> value = ParseNumber(std::string_view(buffer, static_cast<std::size_t>(count)));
  if (!value) return std::nullopt;
  const double kPa = (*value + m_pressure.pressure.offset) * m_pressure.pressure.scale;
  if (kPa < kMinPressure_kPa || kPa > kMaxPressure_kPa) return std::nullopt;
  return kPa * 10.0;
}

std::optional<double> SysfsSensors::ReadTemperature_C() const {
  if (!m_pressure.temperature) return std::nullopt;
  char buffer[64];
  const ssize_t count = ReadValueFile(*m_pressure.temperature, buffer, sizeof buffer);
  if (count <= 0 || static_cast<std::size_t>(count) == sizeof buffer) return std::nullopt;
  const std::optional<double> value = ParseNumber(std::string_view(buffer, static_cast<std::size_t>(count)));
  if (!value) return std::nullopt;
  const double celsius = (*value + m_pressure.temperature->offset) * m_pressure.temperature->scale / 1000.0;
  if (celsius < kMinTemperature_C || celsius > kMaxTemperature_C) return std::nullopt;
  return celsius;
}

std::optional<BarometerReading> SysfsSensors::ReadBarometer() {
  const std::optional<double> pressure = ReadPressure_hPa();
  if (!pressure) return std::nullopt;
  // After the pressure: the sample's time is that of its pressure.
  const auto now = std::chrono::steady_clock::now();
  if (now >= m_nextTemperatureRead) {
    m_nextTemperatureRead = now + kTemperatureInterval;
    m_lastTemperature_C = ReadTemperature_C();
  }
  return BarometerReading{*pressure, m_lastTemperature_C};
}

// The barometer has gone (its driver unbound, or its folder removed): it
// is looked for again among the IIO devices, as a rebound driver makes a
// new iio:deviceN, at most once a kSearchInterval. Readings fail until then.
void SysfsSensors::LosePressureChannel() {
  ClosePressureChannel();
  m_nextSearch = std::chrono::steady_clock::now() + kSearchInterval;
}

bool SysfsSensors::FindPressureChannelAgain() {
  const auto now = std::chrono::steady_clock::now();
  if (now < m_nextSearch) return false;
  m_nextSearch = now + kSearchInterval;
  return FindPressureChannel();
}

// `file.name` holds the channel ("in_pressure"); on return its value's
// file, its factors and, on sysfs, the file held open.
bool SysfsSensors::OpenValueFile(ValueFile& file) const {
  const fs::path device = m_barometerDevice;
  const std::string channel = file.name;
  file.name = channel + "_input";
  if (::faccessat(m_pressure.folder, file.name.c_str(), F_OK, 0) != 0) {
    file.name = channel + "_raw";
    const std::optional<Factors> factors = ChannelFactors(device, channel, channel);
    if (!factors) return false;
    file.offset = factors->offset;
    file.scale = factors->scale;
  }
  if (!m_pressure.kernelFiles) return true;
  file.fd = ::openat(m_pressure.folder, file.name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  return file.fd >= 0;
}

bool SysfsSensors::OpenPressureChannel(const std::filesystem::path& device) {
  ClosePressureChannel();
  m_pressure.folder = ::open(device.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (m_pressure.folder < 0) return false;
  struct statfs where {};
  m_pressure.kernelFiles = ::fstatfs(m_pressure.folder, &where) == 0 && where.f_type == SYSFS_MAGIC;
  m_barometerDevice = device;
  m_pressure.pressure.name = "in_pressure";
  if (!OpenValueFile(m_pressure.pressure)) {
    ClosePressureChannel();
    return false;
  }
  // A temperature that cannot be read leaves the pressure as good.
  ValueFile temperature{"in_temp"};
  if ((Exists(device / "in_temp_input") || Exists(device / "in_temp_raw")) && OpenValueFile(temperature)) {
    m_pressure.temperature = temperature;
  }
  m_nextTemperatureRead = {};
  return true;
}

bool SysfsSensors::FindPressureChannel() {
  for (const fs::path& device : IioDevices(m_root)) {
    // A device whose pressure reads plausibly; then its oversampling is
    // set, and the channel taken as it reads at that oversampling.
    if (!OpenPressureChannel(device) || !ReadPressure_hPa()) continue;
    ChooseFinestOversampling(device);
    if (!OpenPressureChannel(device)) continue;
    return true;
  }
  ClosePressureChannel();
  return false;
}

bool SysfsSensors::OpenBarometer() {
  CloseBarometer();
  if (!FindPressureChannel()) return false;
  const BarometerSampler::Read read = [this] { return ReadBarometer(); };
  const std::optional<BarometerSample> first = BarometerSampler::Take(read);
  if (!first) {
    ClosePressureChannel();
    return false;
  }
  m_pSampler = std::make_unique<BarometerSampler>(read, m_sink, m_samplingPeriod, first);
  m_strBarometerName = ReadAttribute(m_barometerDevice / "name").value_or("");
  return true;
}

int SysfsSensors::BarometricAltitude() {
  const std::optional<BarometerSample> latest = m_pSampler ? m_pSampler->Latest() : std::nullopt;
  return latest ? static_cast<int>(std::lround(latest->altitude)) : 0;
}

std::optional<int> ChooseFinestOversampling(const std::filesystem::path& device) {
  const std::optional<std::string> available =
      ReadAttribute(device / "in_pressure_oversampling_ratio_available");
  const fs::path ratioFile = device / "in_pressure_oversampling_ratio";
  const std::optional<double> current = ReadNumberAttribute(ratioFile);
  if (!available || !current) return std::nullopt;
  // "256 512 1024 2048 4096" (MS5611), "1 2 4 8 16" (BMP280).
  int finest = 0;
  std::string_view rest = *available;
  while (!rest.empty()) {
    int ratio = 0;
    const auto result = std::from_chars(rest.data(), rest.data() + rest.size(), ratio);
    if (result.ec != std::errc()) break;
    finest = std::max(finest, ratio);
    rest.remove_prefix(static_cast<std::size_t>(result.ptr - rest.data()));
    while (!rest.empty() && IsSpace(rest.front())) rest.remove_prefix(1);
  }
  if (finest <= 0 || *current == finest) return static_cast<int>(*current);
  const std::string text = std::to_string(finest) + "\n";
  const int fd = ::open(ratioFile.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  bool written = false;
  if (fd >= 0) {
    written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
  }
  if (!written) return static_cast<int>(*current);
  const std::optional<double> now = ReadNumberAttribute(ratioFile);
  return now ? std::optional<int>(static_cast<int>(*now)) : std::nullopt;
}

namespace {

// The three axes of `type` ("in_magn") on `device`, each within `limit`.
template <typename Vector>
std::optional<Vector> ReadAxes(const fs::path& device, const std::string& type, double limit) {
  if (device.empty()) return std::nullopt;
  double value[3] = {};
  const char* axes[3] = {"_x", "_y", "_z"};
  for (int i = 0; i < 3; ++i) {
    const std::optional<double> axis = ReadChannel(device, type + axes[i], type);
    if (!axis || std::fabs(*axis) > limit) return std::nullopt;
    value[i] = *axis;
  }
  return Vector{value[0], value[1], value[2]};
}

}  // namespace

// A compass whose readings fail may have gone and come back under a new
// iio:deviceN: it is looked for again, at most once a kSearchInterval.
std::optional<SysfsSensors::Vector> SysfsSensors::ReadField() {
  std::optional<Vector> field = ReadAxes<Vector>(m_magnetometer, "in_magn", kMaxField_gauss);
  if (!field && FindCompassAgain()) field = ReadAxes<Vector>(m_magnetometer, "in_magn", kMaxField_gauss);
  return field;
}

std::optional<SysfsSensors::Vector> SysfsSensors::ReadAcceleration() {
  constexpr double kLimit = kMaxAcceleration_g * kStandardGravity;
  std::optional<Vector> a = ReadAxes<Vector>(m_accelerometer, "in_accel", kLimit);
  if (!a && FindCompassAgain()) a = ReadAxes<Vector>(m_accelerometer, "in_accel", kLimit);
  return a;
}

bool SysfsSensors::FindCompassAgain() {
  const auto now = std::chrono::steady_clock::now();
  if (now < m_nextCompassSearch) return false;
  m_nextCompassSearch = now + kSearchInterval;
  const fs::path magnetometer = m_magnetometer, accelerometer = m_accelerometer;
  if (FindCompass()) return magnetometer != m_magnetometer || accelerometer != m_accelerometer;
  // Nothing found: the old folders stay, for readings that come back there.
  m_magnetometer = magnetometer;
  m_accelerometer = accelerometer;
  return false;
}

bool SysfsSensors::OpenCompass() {
  m_nextCompassSearch = std::chrono::steady_clock::now() + kSearchInterval;
  return FindCompass();
}

bool SysfsSensors::FindCompass() {
  m_magnetometer.clear();
  m_accelerometer.clear();
  for (const fs::path& device : IioDevices(m_root)) {
    if (m_magnetometer.empty() && ReadAxes<Vector>(device, "in_magn", kMaxField_gauss)) {
      m_magnetometer = device;
    }
    if (m_accelerometer.empty() &&
        ReadAxes<Vector>(device, "in_accel", kMaxAcceleration_g * kStandardGravity)) {
      m_accelerometer = device;
    }
  }
  return !m_magnetometer.empty() && !m_accelerometer.empty();
}

bool SysfsSensors::CompassCalibrated() {
  const std::optional<Vector> field = ReadField();
  if (!field) return false;
  const double total = std::sqrt(field->x * field->x + field->y * field->y + field->z * field->z);
  return total >= 0.1 && total <= 1.0 && std::hypot(field->x, field->y) >= 0.05;
}

int SysfsSensors::CompassDirection() {
  if (const std::optional<Vector> field = ReadField()) {
    double degrees = std::atan2(-field->x, field->y) / g_dPi * 180.0;
    if (degrees < 0) degrees += 360.0;
    m_nLastDirection = static_cast<int>(std::lround(degrees)) % 360;
  }
  return m_nLastDirection;
}

void SysfsSensors::GSensor(float& first, float& second, float& third) {
  const std::optional<Vector> a = ReadAcceleration();
  first = a ? static_cast<float>(a->x / kStandardGravity) : 0.0f;
  second = a ? static_cast<float>(a->y / kStandardGravity) : 0.0f;
  third = a ? static_cast<float>(a->z / kStandardGravity) : 0.0f;
}

bool SysfsSensors::OpenBattery() {
  m_nBatteryLevel = SystemBatteryPercent(m_root);
  return m_nBatteryLevel.has_value();
}

std::optional<int> SystemBatteryPercent(const std::filesystem::path& root) {
  std::vector<fs::path> supplies;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(root / "class/power_supply", error)) {
    supplies.push_back(entry.path());
  }
  std::sort(supplies.begin(), supplies.end());
  for (const fs::path& supply : supplies) {
    if (ReadAttribute(supply / "type") != "Battery") continue;
    if (ReadAttribute(supply / "scope") == "Device") continue;  // a mouse's or headset's
    const std::optional<double> capacity = ReadNumberAttribute(supply / "capacity");
    if (!capacity || *capacity < 0 || *capacity > 100 || *capacity != std::floor(*capacity)) {
      continue;
    }
    return static_cast<int>(*capacity);
  }
  return std::nullopt;
}

int SysfsSensors::BatteryLevel() { return m_nBatteryLevel.value_or(0); }

void SysfsSensors::CloseBattery() { m_nBatteryLevel.reset(); }

std::filesystem::path SensorRoot(const std::filesystem::path& storageFolder) {
  std::error_code error;
  if (!storageFolder.empty() && fs::is_directory(storageFolder / "sys", error)) {
    return storageFolder / "sys";
  }
  return "/sys";
}

