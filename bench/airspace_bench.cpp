// What an airspace file costs: loading a large file (10 000 airspaces,
// about 2 000 000 border points, 50 MB), the peak resident memory the
// load adds, and the check at each fix with that file loaded. The file is
// generated into a temporary folder at the start and removed at the end.
//   goals: load under 0.5 s, at most 80 MB more peak memory, the check
//   under 0.1 ms median per fix
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "airspace/airspace_file.h"
#include "airspace/airspace_texts.h"
#include "airspace/airspace_warnings.h"
#include "bench/openair_generator.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kAirspaces = 10000;

class GeneratedFile {
 public:
  GeneratedFile() {
    std::string folder = (fs::temp_directory_path() / "airspace-bench-XXXXXX").string();
    if (::mkdtemp(folder.data())) m_folder = folder;
    m_path = m_folder / kAirspaceFileName;
    m_counts = WriteOpenAirFile(m_path, kAirspaces, 26);
  }
  ~GeneratedFile() {
    std::error_code ignored;
    if (!m_folder.empty()) fs::remove_all(m_folder, ignored);
  }
  const fs::path& Path() const { return m_path; }
  const GeneratedAirspace& Counts() const { return m_counts; }

 private:
  fs::path m_folder;
  fs::path m_path;
  GeneratedAirspace m_counts;
};

const GeneratedFile& File() {
  static const GeneratedFile file;
  return file;
}

std::size_t BorderPoints(const AirspaceSet& set) {
  std::size_t points = 0;
  for (const Airspace& a : set.All()) points += a.border.size();
  return points;
}

void BM_LoadAirspaceFile(benchmark::State& state) {
  const GeneratedFile& file = File();
  AirspaceFile loaded;
  for (auto _ : state) {
    loaded = ReadAirspaceFile(file.Path());
    benchmark::DoNotOptimize(loaded.airspaces.size());
    state.PauseTiming();
    loaded = {};  // freed outside the time
    state.ResumeTiming();
  }
  loaded = ReadAirspaceFile(file.Path());
  state.counters["airspaces"] = static_cast<double>(loaded.report.loaded);
  state.counters["skipped"] = static_cast<double>(loaded.report.skipped);
  state.counters["points"] = static_cast<double>(BorderPoints(loaded.airspaces));
  state.counters["point_lines"] = static_cast<double>(file.Counts().pointLines);
  state.counters["file_MB"] = static_cast<double>(file.Counts().bytes) / 1e6;
}
BENCHMARK(BM_LoadAirspaceFile)->Unit(benchmark::kMillisecond)->Iterations(5);

// [kB] from /proc/self/status.
long StatusKilobytes(const char* name) {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = -1;
  while (status >> key) {
    if (key == name) {
      status >> value;
      return value;
    }
    status.ignore(1 << 12, '\n');
  }
  return value;
}

// The load in a child process that first gives back the memory its heap
// holds free (what the parent freed would otherwise be reused unseen) and
// resets its peak resident size (clear_refs 5).
void BM_LoadPeakMemory(benchmark::State& state) {
  const GeneratedFile& file = File();
  long addedKb = -1;
  for (auto _ : state) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
      state.SkipWithError("no pipe");
      return;
    }
    const pid_t child = ::fork();
    if (child == 0) {
      ::malloc_trim(0);
      std::ofstream("/proc/self/clear_refs") << "5";
      const long before = StatusKilobytes("VmRSS:");
      const AirspaceFile loaded = ReadAirspaceFile(file.Path());
      const long added = StatusKilobytes("VmHWM:") - before;
      benchmark::DoNotOptimize(loaded.airspaces.size());
      [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &added, sizeof added);
      ::_exit(0);
    }
    ::close(pipeFds[1]);
    if (::read(pipeFds[0], &addedKb, sizeof addedKb) != sizeof addedKb) addedKb = -1;
    ::close(pipeFds[0]);
    ::waitpid(child, nullptr, 0);
  }
  if (addedKb < 0) state.SkipWithError("the child did not report its memory");
  state.counters["peak_MB_more"] = static_cast<double>(addedKb) / 1024;
}
BENCHMARK(BM_LoadPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

// The thread's CPU time [us]: what a check costs, whatever else the
// machine's cores are doing.
double CpuMicros() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

// A five-hour wander at 80 km/h through the region's middle, climbing and
// sinking, one fix a second: the warnings, the most urgent one and the
// "Airspace" entry's text at each fix. Reports the median, the 99th
// percentile and the most of the CPU time per fix.
void BM_CheckPerFix(benchmark::State& state) {
  static const AirspaceFile loaded = ReadAirspaceFile(File().Path());
  AirspaceWarnings warnings(loaded.airspaces);
  std::vector<double> micros;
  micros.reserve(static_cast<std::size_t>(state.max_iterations));
  double events = 0, warned = 0, t = 0;
  const double step = 80 / 3.6 / 111195;  // [deg of latitude a second]
  for (auto _ : state) {
    AirspaceFix fix;
    fix.time_s = t;
    const double lat = 48 + 1.5 * std::sin(t * step / 1.5);
    const double lon = 8 + 2.5 * std::sin(t * step / 2.7 + 1);
    fix.position = ToGeoPoint(lat, lon);
    fix.groundSpeed_kmh = 80;
    fix.track_deg = std::fmod(std::atan2(std::cos(t * step / 2.7 + 1) / 2.7 * 2.5 * 0.67,
                                         std::cos(t * step / 1.5)) * 57.29578 + 360, 360.0);
    fix.climb_ms = 2 * std::cos(t / 300);
    const double gps = 1500 + 600 * std::sin(t / 300);
    fix.altitudes = PilotAltitudes::From(gps, gps - 120, 600);

    const double start = CpuMicros();
    events += static_cast<double>(warnings.Check(fix).size());
    const std::optional<AirspaceWarning> urgent = warnings.MostUrgent();
    const std::string text = AirspaceFieldText(warnings.Nearest(), loaded.airspaces);
    micros.push_back(CpuMicros() - start);
    benchmark::DoNotOptimize(text.data());
    if (urgent) ++warned;
    t += 1;
  }
  std::sort(micros.begin(), micros.end());
  state.counters["median_us"] = micros[micros.size() / 2];
  state.counters["p99_us"] = micros[micros.size() * 99 / 100];
  state.counters["max_us"] = micros.back();
  state.counters["events"] = events;
  state.counters["fixes_warned"] = warned / static_cast<double>(micros.size());
}
BENCHMARK(BM_CheckPerFix)->Unit(benchmark::kMicrosecond)->Iterations(18000);

}  // namespace
