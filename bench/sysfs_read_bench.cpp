// One barometer reading's file access on the kernel's sysfs, the way the
// sampling thread makes it fifty times a second: the attribute opened,
// read and closed each time, against held open and read from its start
// with one pread. An IIO pressure attribute where the machine has one
// (whose driver then also talks to the sensor), else a plain sysfs
// attribute, /sys/devices/system/cpu/online, so that the file access alone
// is compared. CPU time per reading.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

namespace {

std::string Attribute() {
  std::error_code error;
  for (const auto& device : std::filesystem::directory_iterator("/sys/bus/iio/devices", error)) {
    if (std::filesystem::exists(device.path() / "in_pressure_input")) {
      return (device.path() / "in_pressure_input").string();
    }
  }
  return "/sys/devices/system/cpu/online";
}

void OpenReadClose(benchmark::State& state) {
  const std::string path = Attribute();
  char buffer[64];
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    benchmark::DoNotOptimize(::read(fd, buffer, sizeof buffer));
    ::close(fd);
  }
  state.SetLabel(path);
}

void HeldOpenPread(benchmark::State& state) {
  const std::string path = Attribute();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  char buffer[64];
  for (auto _ : state) benchmark::DoNotOptimize(::pread(fd, buffer, sizeof buffer, 0));
  ::close(fd);
  state.SetLabel(path);
}

BENCHMARK(OpenReadClose)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(HeldOpenPread)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
