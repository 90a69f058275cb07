#include "base/flight_values.h"

#include <mutex>


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

double g_dTimeBase = 0;
bool g_bTimeBasePending = true;
int g_nRedrawCount = 0;

namespace {
std::mutex g_varioMutex;
VarioReading g_varioReading;
}  // namespace

void PublishFastVario(double vario) {
  std::lock_guard<std::mutex> lock(g_varioMutex);
  g_varioReading.vario = vario;
  ++g_varioReading.updates;
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
  g_dTimeBase = 0;
  g_bTimeBasePending = true;
  g_nRedrawCount = 0;
}
