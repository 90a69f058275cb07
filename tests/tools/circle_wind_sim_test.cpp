// The wind from the circles, on simulated flights with a known wind: the
// flight's NMEA through the acquisition loop, as the instrument reads it.
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "base/flight_values.h"
#include "flight/recorded_byte_source.h"
#include "tests/support/flight_test.h"
#include "tools/flight_sim.h"

namespace {

struct WindErrors {
  int firstCircle = 0;             // the fix that first showed a fitted circle
  double speed = 0, direction = 0;  // the largest errors from then on [m/s], [deg]
};

WindErrors Fly(const FlightSimOptions& options) {
  FlightSimulator flight(options);
  std::string nmea;
  while (!flight.Done()) nmea += SimNmea(flight.Next(), options.talker);
  MemoryByteSource source(nmea);
  RecordingWindow window;
  AcquisitionLoop loop(source, window);
  WindErrors e;
  int fix = 0;
  window.onShow = [&] {  // the wind of the fix before
    ++fix;
    const CircleWind wind = g_circleWind;
    if (!wind.bFitted) return;
    if (e.firstCircle == 0) e.firstCircle = fix;
    e.speed = std::fmax(e.speed, std::fabs(wind.dSpeed - options.windSpeed));
    e.direction = std::fmax(e.direction, std::fabs(std::remainder(wind.dFromDir - options.windFrom, 360.0)));
  };
  loop.AcquisitionThreadProc();
  return e;
}

using CircleWindSimTest = FlightTest;

// Four directions, two strengths, the airspeed unsteady by 0.3 m/s RMS:
// from the first full circle on, every fix shows the wind within 0.5 m/s
// and 5 degrees.
TEST_F(CircleWindSimTest, AfterTheFirstCircleTheWindIsKnownWithinHalfAMetreAndFiveDegrees) {
  for (const double speed : {4.0, 7.0}) {
    for (const double from : {15.0, 110.0, 200.0, 290.0}) {
      FlightSimOptions options;
      options.windFrom = from, options.windSpeed = speed, options.airspeedNoise = 0.3;
      options.duration = 1200, options.seed = static_cast<unsigned>(from + speed);
      SCOPED_TRACE(std::to_string(from) + " at " + std::to_string(speed));
      ResetProcessState();
      const WindErrors e = Fly(options);
      // The first glide (40 to 90 s), the thermal's first full turn (20 s).
      EXPECT_GT(e.firstCircle, 60);
      EXPECT_LT(e.firstCircle, 115);
      EXPECT_LE(e.speed, 0.5);
      EXPECT_LE(e.direction, 5);
    }
  }
}

}  // namespace
