// The wind from the circles, on simulated flights with a known wind: the
// flight's NMEA through the acquisition loop, as the instrument reads it.
#include <array>
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "base/flight_values.h"
#include "flight/recorded_byte_source.h"
#include "tests/support/flight_test.h"
#include "tools/flight_sim.h"

namespace {

// Flies the simulated flight through the acquisition loop. Returns the fix
// that first showed a fitted circle, and the largest errors from then on
// [m/s], [deg].
std::array<double, 3> Fly(const FlightSimOptions& options) {
  FlightSimulator flight(options);
  std::string nmea;
  while (!flight.Done()) nmea += SimNmea(flight.Next(), options.talker);
  MemoryByteSource source(nmea);
  RecordingWindow window;
  AcquisitionLoop loop(source, window);
  std::array<double, 3> e = {0, 0, 0};
  window.onShow = [&] {  // the wind of the fix before
    const CircleWind w = g_circleWind;
    if (e[0] == 0) e[0] = w.bFitted ? static_cast<double>(window.shown.size()) : 0;
    e[1] = std::fmax(e[1], w.bFitted ? std::fabs(w.dSpeed - options.windSpeed) : 0);
    e[2] = std::fmax(e[2], w.bFitted ? std::fabs(std::remainder(w.dFromDir - options.windFrom, 360.0)) : 0);
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
      const auto [first, speedError, directionError] = Fly(options);
      // The first glide (40 to 90 s), the thermal's first full turn (20 s).
      EXPECT_GT(first, 60);
      EXPECT_LT(first, 115);
      EXPECT_LE(speedError, 0.5);
      EXPECT_LE(directionError, 5);
    }
  }
}

}  // namespace
