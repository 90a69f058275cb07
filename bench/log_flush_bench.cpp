// What the track log's durability costs: one 36-byte B record written and
// forced to storage (fdatasync, as the instrument does in flight), written
// only, and gathered in batches (as a replay does), on the file system of
// the build folder.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "logs/log_file.h"

namespace {

constexpr std::string_view kRecord = "B1200004622500N00801998EA0150001500\n";

void Write(benchmark::State& state, bool sync, bool batched) {
  const std::filesystem::path path = std::filesystem::current_path() / "log_flush_bench.IGC";
  std::filesystem::remove(path);
  LogFile log;
  if (log.CreateNew(path, sync) != 0) {
    state.SkipWithError("cannot create the log in the current folder");
    return;
  }
  log.SetBatched(batched);
  for (auto _ : state) benchmark::DoNotOptimize(log.Write(kRecord));
  log.Close();
  state.SetItemsProcessed(state.iterations());
  std::filesystem::remove(path);
}

void BM_RecordForcedToStorage(benchmark::State& state) { Write(state, true, false); }
void BM_RecordWritten(benchmark::State& state) { Write(state, false, false); }
void BM_RecordBatched(benchmark::State& state) { Write(state, false, true); }

BENCHMARK(BM_RecordForcedToStorage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordWritten)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordBatched)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
