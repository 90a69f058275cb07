#include "base/flight_values.h"

#include <condition_variable>
#include <mutex>

#include "base/traffic.h"


double g_dVario = 0;
std::atomic<double> g_dWindDir{0};
std::atomic<double> g_dWindSpeed{0};
std::atomic<double> g_dHeading{0};
double g_dAirspeed = 0;
double g_dSpeedOnHeading = 0;
double g_dGlideRatio = 0;
double g_dCompassDir = 0;
float g_fAccelX = 0;
float g_fAccelY = 0;
float g_fAccelZ = 0;
bool g_bClimbing = false;
std::atomic<double> g_dClimbPeak{0};
std::atomic<double> g_dThermalDist{0};
std::atomic<double> g_dThermalBearing{0};
double g_dStartDist = 0;
CircleWind g_circleWind;

double g_dTimeBase = 0;
bool g_bTimeBasePending = true;
int g_nRedrawCount = 0;

namespace {
std::mutex g_varioMutex;
std::condition_variable g_varioWake;
VarioReading g_varioReading;
// The band a waiter sleeps through, while one waits.
bool g_bVarioWaiting = false;
double g_varioLow = 0, g_varioHigh = 0;
unsigned long g_nVarioWakes = 0;
}  // namespace

void PublishFastVario(double vario) {
  bool wake = false;
  {
    std::lock_guard<std::mutex> lock(g_varioMutex);
    g_varioReading.vario = vario;
    ++g_varioReading.updates;
    wake = g_bVarioWaiting && (vario <= g_varioLow || vario >= g_varioHigh);
  }
  if (wake) g_varioWake.notify_all();
}

VarioReading WaitForFastVarioOutside(double low, double high, std::chrono::milliseconds timeout,
                                     unsigned long wakes) {
  std::unique_lock<std::mutex> lock(g_varioMutex);
  const unsigned long updates = g_varioReading.updates;
  g_bVarioWaiting = true;
  g_varioLow = low;
  g_varioHigh = high;
  g_varioWake.wait_for(lock, timeout, [&] {
    return g_nVarioWakes != wakes || (g_varioReading.updates != updates &&
                                      (g_varioReading.vario <= low || g_varioReading.vario >= high));
  });
  g_bVarioWaiting = false;
  return g_varioReading;
}

unsigned long FastVarioWakes() {
  std::lock_guard<std::mutex> lock(g_varioMutex);
  return g_nVarioWakes;
}

void WakeFastVarioWaiters() {
  {
    std::lock_guard<std::mutex> lock(g_varioMutex);
    ++g_nVarioWakes;
  }
  g_varioWake.notify_all();
}

VarioReading LatestFastVario() {
  std::lock_guard<std::mutex> lock(g_varioMutex);
  return g_varioReading;
}

void ResetFlightValues() {
  g_dVario = 0;
  g_dWindDir = 0;
  g_dWindSpeed = 0;
  g_dHeading = 0;
  g_dAirspeed = 0;
  g_dSpeedOnHeading = 0;
  g_dGlideRatio = 0;
  g_dCompassDir = 0;
  g_fAccelX = g_fAccelY = g_fAccelZ = 0;
  g_bClimbing = false;
  g_dClimbPeak = 0;
  g_dThermalDist = 0;
  g_dThermalBearing = 0;
  g_dStartDist = 0;
  g_circleWind = CircleWind{};
  g_dTimeBase = 0;
  g_bTimeBasePending = true;
  g_nRedrawCount = 0;
  PublishTraffic(TrafficPicture{});
}
