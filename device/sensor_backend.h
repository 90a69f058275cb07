// What lies behind the sensor library's nine functions. The Linux back end
// reads the kernel's sensors, a simulated one serves demos and replays, and
// tests script their own. One back end is installed for the whole process,
// before the sensors are opened at start-up.
//
// Every operation defaults to a handheld without that device: nothing
// opens and readings are 0, so a back end overrides only what it has.
#pragma once

#include <string>

class SensorBackend {
 public:
  virtual ~SensorBackend() = default;

  virtual bool OpenBarometer() { return false; }
  virtual int BarometricAltitude() { return 0; }     // [m]
  // The name the open barometer gives itself (the driver's, e.g. "ms5611"),
  // for the track log's header; empty when there is none or it does not say.
  virtual std::string BarometerName() const { return ""; }

  virtual bool OpenCompass() { return false; }
  virtual bool CompassCalibrated() { return false; }
  virtual int CompassDirection() { return 0; }       // [deg]
  virtual void GSensor(float& first, float& second, float& third) {
    first = second = third = 0.0f;
  }

  virtual bool OpenBattery() { return false; }
  virtual int BatteryLevel() { return 0; }
  virtual void CloseBattery() {}
};

// The installed back end's barometer name, when the barometer is open.
std::string OpenBarometerName();

// Installs `backend` (not owned; it must outlive its use) and returns the
// one it replaces. nullptr installs the back end without any device.
SensorBackend* SetSensorBackend(SensorBackend* backend);
