// A simulated barometer for replays of recordings that carry no pressure:
// it reports the whole metres (truncated toward zero) of the latest GPGGA
// altitude the acquisition loop has read. Nothing else of the handheld's
// sensors is there.
#pragma once

#include <algorithm>
#include <cmath>

#include "base/acquisition_state.h"
#include "device/sensor_backend.h"

class GpsBarometer final : public SensorBackend {
 public:
  explicit GpsBarometer(const AcquisitionState& state) : m_state(state) {}

  bool OpenBarometer() override { return true; }
  int BarometricAltitude() override {
    // A GGA field such as "1e300" is not an altitude a barometer reports.
    return static_cast<int>(std::trunc(std::clamp(m_state.dAltGps, -99999.0, 999999.0)));
  }

 private:
  const AcquisitionState& m_state;
};
