// Cost of the flight computations of one accepted fix: each must be a
// fixed, small amount of work, whatever the length of the flight.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>

#include "base/acquisition_state.h"
#include "base/flight_values.h"
#include "flight/air_data.h"
#include "flight/circle_wind.h"
#include "flight/flight_reset.h"
#include "flight/navigation.h"
#include "flight/vario.h"
#include "flight/wind.h"

// Every allocation of the program is counted, so that a benchmark can show
// what its work allocates.
std::atomic<long long> g_nAllocations{0};

void* operator new(std::size_t size) {
  ++g_nAllocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
// GCC takes the replaced pair for a mismatch of new and free.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

void BM_ComputeVario(benchmark::State& st) {
  ResetFlight();
  int t = 0;
  for (auto _ : st) {
    benchmark::DoNotOptimize(ComputeVario(1000.0 + 0.5 * t, t));
    ++t;
  }
}
BENCHMARK(BM_ComputeVario);

void BM_EstimateWind(benchmark::State& st) {
  ResetFlight();
  double course = 0;
  for (auto _ : st) {
    EstimateWind(course, 36.0);  // circling: 15 degrees a fix
    course = course >= 345 ? 0 : course + 15;
    benchmark::DoNotOptimize(g_dWindDir.load());
  }
}
BENCHMARK(BM_EstimateWind);

// Circling in a 4 m/s wind, one circle every `range(0)` fixes: a circle is
// fitted at each full turn. Reports the heap allocations per fix.
void BM_CircleWind(benchmark::State& st) {
  CircleWindEstimator estimator;
  const double turn = 360.0 / static_cast<double>(st.range(0));
  double heading = 0;
  int seconds = 0;
  const long long before = g_nAllocations;
  for (auto _ : st) {
    heading += turn;
    const double north = 36 * std::cos(heading * 0.017453292519943295) + 13;
    const double east = 36 * std::sin(heading * 0.017453292519943295) + 5;
    const double course = std::atan2(east, north) * 57.29577951308232;
    benchmark::DoNotOptimize(estimator.AddFix(course < 0 ? course + 360 : course, std::hypot(north, east), seconds++));
  }
  st.counters["allocs_per_fix"] = static_cast<double>(g_nAllocations - before) / static_cast<double>(st.iterations());
  st.counters["circles"] = static_cast<double>(seconds) / static_cast<double>(st.range(0));
}
BENCHMARK(BM_CircleWind)->Arg(20)->Arg(58);

void BM_UpdateAirData(benchmark::State& st) {
  ResetFlight();
  g_dVario = -1.2;
  double course = 0;
  for (auto _ : st) {
    UpdateAirData(36.0, course, 250.0, 4.0);
    course = course >= 345 ? 0 : course + 15;
    benchmark::DoNotOptimize(g_dGlideRatio);
  }
}
BENCHMARK(BM_UpdateAirData);

void BM_UpdateNavigation(benchmark::State& st) {
  ResetFlight();
  AcquisitionState state;
  state.dTime = 120000;
  state.dLat = 46.4;
  state.dLon = 8.1;
  g_dWindSpeed = 4.0;
  g_dWindDir = 250.0;
  bool up = true;
  for (auto _ : st) {
    g_dVario = up ? 1.5 : -1.5;  // in and out of the climb
    up = !up;
    UpdateNavigation(state);
    benchmark::DoNotOptimize(g_dThermalDist.load());
  }
}
BENCHMARK(BM_UpdateNavigation);

}  // namespace
