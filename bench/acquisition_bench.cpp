// Speed of the acquisition path: the whole loop from bytes to log records,
// and the NMEA reader on its own.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "base/flight_values.h"
#include "flight/acquisition_loop.h"
#include "flight/flight_reset.h"
#include "flight/nmea_reader.h"
#include "flight/recorded_byte_source.h"
#include "logs/flight_logs.h"
#include "settings/settings_file.h"

namespace {

constexpr const char* kRmc =
    "$GPRMC,123519.00,A,4807.0380,N,01131.0000,E,022.4,084.4,230394,003.1,W,A*";

class NullWindow final : public InstrumentWindow {
 public:
  void ShowFieldTexts(const FieldTexts& texts) override { benchmark::DoNotOptimize(&texts); }
  void RequestRepaint() override {}
};

// "$...*hh\r\n" around the body between "$" and "*".
std::string Sentence(const char* body) {
  unsigned char sum = 0;
  for (const char* c = body; *c != '\0'; ++c) sum ^= static_cast<unsigned char>(*c);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
  std::string sentence(1, '$');
  sentence.append(body).append(tail);
  return sentence;
}

// A thermalling glider: 30 s circles of 60 m radius at 1 Hz, climbing
// 1.5 m/s, one GPRMC and one GPGGA a second.
std::string CirclingFlight(int fixes) {
  std::string stream;
  char body[128];
  for (int i = 0; i < fixes; ++i) {
    const double angle = 2 * g_dPi * i / 30;
    const double lat = 46.3 + 60 * std::cos(angle) / 111100;
    const double lon = 8.0 + 60 * std::sin(angle) / (111100 * std::cos(46.3 * g_dPi / 180));
    const double latMin = (lat - std::floor(lat)) * 60;
    const double lonMin = (lon - std::floor(lon)) * 60;
    const int t = 9 * 3600 + i;
    const int hh = t / 3600, mm = t / 60 % 60, ss = t % 60;
    const double course = std::fmod(i * 12.0 + 90, 360);
    std::snprintf(body, sizeof body, "GPRMC,%02d%02d%02d.00,A,%02d%07.4f,N,%03d%07.4f,E,"
                  "006.8,%05.1f,170421,,,A", hh, mm, ss, static_cast<int>(lat), latMin,
                  static_cast<int>(lon), lonMin, course);
    stream += Sentence(body);
    std::snprintf(body, sizeof body, "GPGGA,%02d%02d%02d.00,%02d%07.4f,N,%03d%07.4f,E,"
                  "1,08,1.0,%.1f,M,47.0,M,,", hh, mm, ss, static_cast<int>(lat), latMin,
                  static_cast<int>(lon), lonMin, 900 + 1.5 * i);
    stream += Sentence(body);
  }
  return stream;
}

void BM_AcquisitionLoop(benchmark::State& state) {
  const int fixes = static_cast<int>(state.range(0));
  const std::string stream = CirclingFlight(fixes);
  std::string pattern = (std::filesystem::temp_directory_path() / "flight-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    state.SkipWithError("no temporary folder");
    return;
  }
  const std::filesystem::path folder = pattern;
  const LocalTime start{2026, 3, 23, 14, 5, 9};
  ResetSettingsToInitialValues();
  long long recorded = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ResetFlight();
    CloseFlightLogs();
    std::filesystem::remove_all(folder / "FlyData");
    if (!OpenFlightLogs(folder.string(), start, false)) state.SkipWithError("logs not opened");
    MemoryByteSource source(stream);
    NullWindow window;
    AcquisitionLoop loop(source, window);
    state.ResumeTiming();

    loop.AcquisitionThreadProc();
    recorded += loop.AcceptedFixes();
  }
  CloseFlightLogs();
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  if (recorded != static_cast<long long>(fixes) * state.iterations()) {
    state.SkipWithError("not every fix was recorded");
  }
  state.SetBytesProcessed(static_cast<long long>(stream.size()) * state.iterations());
  state.SetItemsProcessed(recorded);
}
BENCHMARK(BM_AcquisitionLoop)->Arg(4000)->Unit(benchmark::kMillisecond);

void BM_ReadRmc(benchmark::State& state) {
  AcquisitionState acquisition;
  for (auto _ : state) {
    ReadRmc(kRmc, acquisition);
    benchmark::DoNotOptimize(acquisition.dLat);
  }
}
BENCHMARK(BM_ReadRmc);

void BM_NmeaField(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(NmeaField(kRmc, n));
}
BENCHMARK(BM_NmeaField)->Arg(2)->Arg(11);

}  // namespace
