// A simulated barometer for replays of recordings that carry no pressure:
// it reports the whole metres (truncated toward zero) of the latest GPGGA
// altitude the acquisition loop has read, within the track log's altitude
// columns. Nothing else of the handheld's sensors is there.
//
// Before the first GPGGA whose altitude field holds a number there is no
// altitude (a receiver sends the field empty until its first fix): the
// barometer reads 0, and its first real reading starts the vertical speed
// afresh, so that the step from 0 to the flight's altitude is not taken
// for a climb. An empty field later on keeps the last altitude.
#pragma once

#include <algorithm>
#include <cmath>

#include "device/sensor_backend.h"
#include "flight/acquisition_loop.h"
#include "flight/vario.h"
#include "logs/flight_logs.h"

class GpsBarometer final : public SensorBackend {
 public:
  explicit GpsBarometer(const AcquisitionLoop& loop) : m_loop(loop) {}

  bool OpenBarometer() override { return true; }
  int BarometricAltitude() override {
    if (m_loop.GpsAltitudes() == 0) return 0;
    if (!m_bReading) {
      m_bReading = true;
      ResetVario();
    }
    // A GGA field such as "1e300" is not an altitude a barometer reports.
    return static_cast<int>(std::trunc(std::clamp(m_loop.GpsAltitude(),
                                                  double{kMinRecordedAltitude},
                                                  double{kMaxRecordedAltitude})));
  }

 private:
  const AcquisitionLoop& m_loop;
  bool m_bReading = false;
};
