// A real paraglider flight re-flown through the whole acquisition loop: the
// values a pilot would look at must behave as the flight did.
#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "base/flight_values.h"
#include "device/sensors.h"
#include "flight/acquisition_loop.h"
#include "flight/recorded_byte_source.h"
#include "logs/flight_logs.h"
#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"
#include "tools/gps_barometer.h"

namespace {

struct Sample {
  double altitude, vario, windDir, windSpeed, heading, airspeed, glide, peak, thermalDist,
      thermalBearing, startDist;
};

class RecordedFlightTest : public FlightTest {};

TEST_F(RecordedFlightTest, ParagliderThermalsFlyAsThePilotSawThem) {
  SKIP_WITHOUT_RECORDINGS();
  TempDir storage;
  ASSERT_TRUE(OpenFlightLogs(storage.Path().string(), LocalTime{2021, 4, 17, 10, 39, 20}, false));
  FileByteSource source;
  ASSERT_EQ(source.Open(RecordingPath("paraglider-thermals.nmea")), 0);
  RecordingWindow window;
  AcquisitionLoop loop(source, window);
  GpsBarometer barometer(loop.State());
  SetSensorBackend(&barometer);
  OpenSensors(nullptr);

  std::vector<Sample> samples;
  window.onShow = [&] {
    // At the display step of each cycle: the flight values of the fix before.
    samples.push_back({loop.State().dAltBaro, g_dVario, g_dWindDir, g_dWindSpeed, g_dHeading,
                       g_dAirspeed, g_dGlideRatio, g_dClimbPeak, g_dThermalDist,
                       g_dThermalBearing, g_dStartDist});
  };
  loop.AcquisitionThreadProc();
  ASSERT_EQ(samples.size(), 4886u);

  int agree = 0, disagree = 0;
  double bestPeak = 0;
  std::vector<double> winds;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const Sample& s = samples[i];
    for (double v : {s.vario, s.windDir, s.windSpeed, s.heading, s.airspeed, s.glide, s.peak,
                     s.thermalDist, s.thermalBearing, s.startDist})
      ASSERT_TRUE(std::isfinite(v)) << "cycle " << i;
    EXPECT_TRUE(s.heading >= 0 && s.heading <= 360) << i;
    EXPECT_TRUE(s.windDir >= 0 && s.windDir <= 360) << i;
    EXPECT_LE(s.glide, 100) << i;
    // The vario's sign follows the altitude trend over its ten seconds.
    if (i >= 11) {
      const double trend = samples[i - 1].altitude - samples[i - 10].altitude;
      if (std::fabs(trend) > 10) (trend > 0) == (s.vario > 0) ? ++agree : ++disagree;
    }
    // The simulated barometer reads 0 before the first GPGGA, so the first
    // slope and its peak are out of this world for ten minutes; after that
    // the circles have shown the wind.
    if (i >= 900) {
      bestPeak = std::max(bestPeak, s.peak);
      winds.push_back(s.windSpeed);
    }
  }
  EXPECT_GT(agree, 2000);
  EXPECT_EQ(disagree, 0);
  // Climbs of up to about 4 m/s.
  EXPECT_TRUE(bestPeak > 3 && bestPeak < 6) << bestPeak;
  // The recording's speeds were derived from positions and carry a few
  // glitches of over 100 km/h, which the sectors keep until flown again;
  // nine fixes in ten see a light valley wind.
  std::sort(winds.begin(), winds.end());
  const double low = winds[winds.size() / 20], high = winds[winds.size() * 19 / 20];
  EXPECT_TRUE(low > 0.3 && high < 8) << low << " " << high;
  // The final glide is longer than ten minutes: the thermal marker expired.
  EXPECT_EQ(samples.back().peak, -1.0);
  EXPECT_GT(samples.back().thermalDist, 5);
}

}  // namespace
