// A real paraglider flight re-flown through the acquisition loop: what the pilot sees must fit it.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/flight_values.h"
#include "base/settings_values.h"
#include "base/traffic.h"
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

// A real capture from a glider's traffic device, replayed on its own fix
// times: the targets it reported, the nearest one's distance and height at
// chosen seconds, their names, and the two lines with garbage after their
// checksum read as the byte machine reads any line (the sentence counts,
// the garbage is dropped).
TEST_F(RecordedFlightTest, AGliderTrafficCaptureShowsItsTraffic) {
  SKIP_WITHOUT_RECORDINGS();
  FileByteSource source;
  ASSERT_EQ(source.Open(RecordingPath("glider-flarm-capture.nmea")), 0);
  RecordingWindow window;
  AcquisitionLoop loop(source, window, {.trafficClock = nullptr});
  g_nFieldSel1 = 16;  // Traffic
  g_nFieldSel2 = 7;   // time
  std::map<std::string, std::string> shown;
  double garbageLineNorth = 0;
  window.onShow = [&] {
    shown[window.shown.back().strField2] = window.shown.back().strField1;
    if (window.shown.back().strField2 != "T 135036") return;
    for (const TrafficTarget& t : loop.Traffic().targets) {
      if (t.strId == "4D22BC") garbageLineNorth = t.dNorth.value_or(0);
    }
  };
  loop.AcquisitionThreadProc();
  EXPECT_EQ(window.shown.size(), 466u);
  const std::map<std::string, std::string> expected = {
      {"T 134749", "Tr 1 58.4 +8108"}, {"T 134800", "Tr 2 1.6 -1094"}, {"T 135000", "Tr 4 2.9 -712"},
      {"T 135031", "Tr 2 4.4 -664"},   // garbage after its checksum: shown all the same
      {"T 135200", "Tr 5 9.2 -415"},   {"T 135400", "Tr 6 14.6 -184"}, {"T 135547", "Tr 5 12.0 +5495"}};
  for (const auto& [time, traffic] : expected) EXPECT_EQ(shown[time], traffic) << time;
  EXPECT_EQ(garbageLineNorth, 10576);
  std::set<std::string> names;
  for (const TrafficTarget& t : loop.Traffic().targets) names.insert(t.strId + "!" + t.strName);
  EXPECT_EQ(names, (std::set<std::string>{"39103C!FJLKN", "398640!CCM901", "461553!FSF706C", "4D22BC!RYR71VG",
                                          "780AAB!CPA260"}));
  EXPECT_EQ(loop.Traffic().alarm.nLevel, 0) << "no alarm in this capture";
}

}  // namespace
