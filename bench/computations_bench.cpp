// Cost of the flight computations of one accepted fix: each must be a
// fixed, small amount of work, whatever the length of the flight.
#include <benchmark/benchmark.h>

#include "base/acquisition_state.h"
#include "base/flight_values.h"
#include "flight/air_data.h"
#include "flight/flight_reset.h"
#include "flight/navigation.h"
#include "flight/vario.h"
#include "flight/wind.h"

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
