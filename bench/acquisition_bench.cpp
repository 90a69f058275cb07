// Speed of the acquisition path: the whole loop from bytes to log records
// over a simulated flight (with each record written, unsynced), and the NMEA
// reader on its own.
#include <benchmark/benchmark.h>

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
#include "tools/flight_sim.h"

namespace {

constexpr const char* kRmc =
    "$GPRMC,123519.00,A,4807.0380,N,01131.0000,E,022.4,084.4,230394,003.1,W,A*";

class NullWindow final : public InstrumentWindow {
 public:
  void ShowFieldTexts(const FieldTexts& texts) override { benchmark::DoNotOptimize(&texts); }
  void RequestRepaint() override {}
};

// A simulated soaring flight of `fixes` seconds: glides and thermals, one
// RMC and one GGA a second.
std::string SimulatedFlight(int fixes) {
  FlightSimOptions options;
  options.duration = fixes;
  FlightSimulator flight(options);
  std::string stream;
  while (!flight.Done()) stream += SimNmea(flight.Next(), options.talker);
  return stream;
}

void BM_AcquisitionLoop(benchmark::State& state) {
  const int fixes = static_cast<int>(state.range(0));
  const std::string stream = SimulatedFlight(fixes);
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
    if (!OpenFlightLogs(folder.string(), start, {}, false)) state.SkipWithError("logs not opened");
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
  // Seconds of flight per second of work: a multiple of real time.
  state.counters["x_real_time"] = benchmark::Counter(static_cast<double>(recorded), benchmark::Counter::kIsRate);
}
// An hour, and a ten-hour cross-country day.
BENCHMARK(BM_AcquisitionLoop)->Arg(3600)->Arg(36000)->Unit(benchmark::kMillisecond);

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
