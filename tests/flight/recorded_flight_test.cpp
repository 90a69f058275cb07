// A real paraglider flight re-flown through the acquisition loop: what the pilot sees must fit it.
#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "base/flight_values.h"
#include "device/sensors.h"
#include "flight/recorded_byte_source.h"
#include "tests/support/flight_test.h"
#include "tools/gps_barometer.h"

namespace {

using RecordedFlightTest = FlightTest;

TEST_F(RecordedFlightTest, ParagliderThermalsFlyAsThePilotSawThem) {
  SKIP_WITHOUT_RECORDINGS();
  FileByteSource source;
  ASSERT_EQ(source.Open(RecordingPath("paraglider-thermals.nmea")), 0);
  RecordingWindow window;
  AcquisitionLoop loop(source, window);
  GpsBarometer barometer(loop);
  SetSensorBackend(&barometer);
  OpenSensors(nullptr);
  std::vector<double> altitude, wind, peak;
  int agree = 0, disagree = 0;
  window.onShow = [&] {  // at each display step: the flight values of the fix before
    const std::size_t i = altitude.size();
    ASSERT_TRUE(std::isfinite(g_dVario + g_dWindSpeed + g_dHeading + g_dThermalDist)) << i;
    // The vario's sign follows the altitude trend over its ten seconds.
    const double trend = i > 10 ? altitude[i - 1] - altitude[i - 10] : 0;
    if (std::fabs(trend) > 10) (trend > 0) == (g_dVario > 0) ? ++agree : ++disagree;
    altitude.push_back(loop.State().dAltBaro);
    wind.push_back(g_dWindSpeed);
    peak.push_back(g_dClimbPeak);
  };
  loop.AcquisitionThreadProc();
  ASSERT_EQ(peak.size(), 4886u);
  EXPECT_GT(agree, 2000);
  EXPECT_EQ(disagree, 0);
  // Climbs reach about 4 m/s, from the first fix on: the GPS barometer's
  // first altitude, after a GPRMC without one, is no climb. Nine fixes in
  // ten see a light wind (past a few speed glitches).
  const double best = *std::max_element(peak.begin(), peak.end());
  EXPECT_TRUE(best > 3 && best < 6) << best;
  std::sort(wind.begin(), wind.end());
  EXPECT_TRUE(wind[wind.size() / 20] > 0.3 && wind[wind.size() * 19 / 20] < 8);
  EXPECT_EQ(peak.back(), -1.0);  // the final glide is over ten minutes: the marker expired
  // Its speeds and courses come from positions a metre or two apart: the
  // course swings back by up to 136 degrees between fixes, so no turn is a
  // steady circle, and the circles' wind rightly stays unknown.
  EXPECT_FALSE(g_circleWind.bFitted);
}

}  // namespace
