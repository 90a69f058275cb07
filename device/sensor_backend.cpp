#include "device/sensor_backend.h"

#include <atomic>

#include "device/gm130api.h"
#include "device/sensors.h"

namespace {

// A handheld without sensors.
class NoSensors final : public SensorBackend {};

NoSensors g_noSensors;
std::atomic<SensorBackend*> g_backend{&g_noSensors};

SensorBackend& Backend() { return *g_backend.load(std::memory_order_acquire); }

}  // namespace

SensorBackend* SetSensorBackend(SensorBackend* backend) {
  SensorBackend* previous =
      g_backend.exchange(backend ? backend : &g_noSensors, std::memory_order_acq_rel);
  return previous == &g_noSensors ? nullptr : previous;
}

std::string OpenBarometerName() { return g_bBaroOpen ? Backend().BarometerName() : ""; }

extern "C" {

int barOpenDevice(void) { return Backend().OpenBarometer() ? 1 : 0; }
int barGetAltitude(void) { return Backend().BarometricAltitude(); }

int compOpenDevice(void) { return Backend().OpenCompass() ? 1 : 0; }
int compCalibrateOK(void) { return Backend().CompassCalibrated() ? 1 : 0; }
int compGetDirection(void) { return Backend().CompassDirection(); }

int compGetGSensorData(float* first, float* second, float* third) {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  Backend().GSensor(x, y, z);
  if (first) *first = x;
  if (second) *second = y;
  if (third) *third = z;
  return 1;
}

int pwrOpenDevice(void) { return Backend().OpenBattery() ? 1 : 0; }
int pwrGetLevel(void) { return Backend().BatteryLevel(); }
int pwrCloseDevice(void) {
  Backend().CloseBattery();
  return 1;
}

}  // extern "C"
