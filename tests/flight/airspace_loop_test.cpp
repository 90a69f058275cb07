// The pilot's airspace through the acquisition loop: each accepted fix
// checked before its texts are built, so that the warning, the "Airspace"
// entry and the replay's lines come with the fix that caused them; the
// beeps at a warning's start and entry; the tap on the top line; the map's
// borders with the repaint; the limits judged by the barometer, the GPS
// and the take-off point.
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "airspace/airspace_file.h"
#include "base/airspace_beeps.h"
#include "base/settings_values.h"
#include "device/sensors.h"
#include "display/map_borders.h"
#include "flight/acquisition_loop.h"
#include "flight/recorded_byte_source.h"
#include "tests/support/flight_test.h"

namespace {

// Flying east along 48 N from 11 E at 40 knots (74 km/h), fix `second`
// after 12:00:00 `east_m` east of 11 E: its RMC, then its GGA.
const double kMetresPerSecond = 40 * 1.85 / 3.6;
std::string Fix(int second, double east_m, double altitude_m = 1000) {
  char body[128];
  const double minutes = east_m / MetresPerDegreeEast(48.0) * 60;
  std::snprintf(body, sizeof body, "GPRMC,12%02d%02d,A,4800.0000,N,011%07.4f,E,40.0,090.0,150726,,,A", second / 60,
                second % 60, minutes);
  std::string fix = Sentence(body);
  std::snprintf(body, sizeof body, "GPGGA,12%02d%02d,4800.0000,N,011%07.4f,E,1,08,0.9,%.1f,M,46.9,M,,", second / 60,
                second % 60, minutes, altitude_m);
  return fix + Sentence(body);
}

// A restricted area from the ground to FL100 whose west edge is 0.8' of
// longitude (995 m) east of 11 E, 0.8' wide.
const char kRestricted[] =
    "AC R\nAN TEST\nAL GND\nAH FL100\nDP 48:02:00 N 011:00.800 E\nDP 48:02:00 N 011:01.600 E\n"
    "DP 47:58:00 N 011:01.600 E\nDP 47:58:00 N 011:00.800 E\n";

class AirspaceWindow : public LinesWindow {
 public:
  void TellAirspaceEvent(const std::string& line) override { events.push_back(line); }
  std::vector<std::string> events;
};

class AirspaceLoopTest : public FlightTest {
 protected:
  void SetUp() override {
    FlightTest::SetUp();
    g_nFieldSel1 = 0;   // speed
    g_nFieldSel2 = 16;  // airspace
    window = {};
  }
  void Fly(ByteSource& source, const std::string& airspace) {
    AcquisitionLoop loop(source, window, {.reopenPause = {}, .trafficClock = nullptr});
    loop.SetAirspace(std::make_shared<const AirspaceSet>(ReadAirspaceText(airspace).airspaces));
    pLoop = &loop;
    loop.AcquisitionThreadProc();
  }
  AirspaceWindow window;
  AcquisitionLoop* pLoop = nullptr;
};

// Entry at 995 m / 20.56 m/s = 48.4 s: "ahead" from 12:00:19 (29.4 s
// ahead), "inside" at 12:00:49; out at 1990 m (96.8 s), past the 200 m
// margin at 2190 m (106.5 s), so clear at 12:01:57, 10 s after the first
// fix beyond it. No fix is judged before the receiver's first altitude.
// A traffic alarm takes the line first, and a tap on it acknowledges
// nothing; a tap on the warning acknowledges it at once, without beeps,
// until the entry. The map's borders come with every fourth fix's
// repaint: the west edge 933 m ahead at 12:00:03.
TEST_F(AirspaceLoopTest, AheadInsideAndClearEachWithTheFixThatCausedIt) {
  ScriptedByteSource source;   // a byte a read: a tap is answered between two fixes
  for (int t = 0; t < 125; ++t) {
    source.AddBytes(Fix(t, kMetresPerSecond * t));
    if (t == 19) source.AddBytes(Sentence("PFLAU,2,1,2,1,2,-30,2,20,224,DD1234"));
    if (t == 20) source.AddBytes(Sentence("PFLAU,2,1,2,1,0,,0,,"));
  }
  std::vector<std::string> fixLines;
  window.onShow = [&] {
    fixLines.push_back(window.lines.back());
    if (fixLines.size() == 21 || fixLines.size() == 26) pLoop->TopLineTapped();  // the alarm's, the warning's
  };
  std::vector<double> westEdges;
  window.onRepaint = [&] {
    for (const BorderSegment& edge : *LatestMapBorders()) {
      if (edge.from.x == edge.to.x && edge.from.x > 0) westEdges.push_back(std::round(edge.from.x));
    }
  };
  const unsigned long beeps = AirspaceBeepRequests();
  Fly(source, kRestricted);
  EXPECT_EQ(window.events, (std::vector<std::string>{"12:00:19 airspace ahead 29s: R TEST",
                                                     "12:00:49 airspace inside: R TEST",
                                                     "12:01:57 airspace clear: R TEST"}));
  ASSERT_EQ(fixLines.size(), 125u);
  const std::pair<int, const char*> shown[] = {
      {0, "V  74|As --"}, {1, "V  74|As R 1.0"}, {18, "V  74|As R 0.6"}, {19, "R TEST 29s*|As R 0.6"},
      {20, "!2 11h 0.2 +20*|As R 0.6"}, {21, "R TEST 27s*|As R 0.6"}, {26, "V  74|As R 0.5"},
      {49, "R TEST in*|As R in"}, {116, "R TEST 0s*|As R 0.4"}, {117, "V  74|As R 0.4"}};
  for (const auto& [fix, line] : shown) EXPECT_EQ(fixLines[fix], line) << fix;
  std::vector<std::string> atOnce;
  for (const std::string& line : window.lines) {
    if (line.starts_with("at once")) atOnce.push_back(line);
  }
  EXPECT_EQ(atOnce, (std::vector<std::string>{"at once: !2 11h 0.2 +20*|As R 0.6", "at once: R TEST 28s*|As R 0.6",
                                              "at once: V  74|As R 0.5"}));
  EXPECT_EQ(AirspaceBeepRequests() - beeps, 2u) << "the start and the entry";
  ASSERT_FALSE(westEdges.empty());
  EXPECT_EQ(westEdges[0], std::round(995 - 3 * kMetresPerSecond));
}

// Flight levels against the barometer's pressure altitude while one is
// open, else the GPS altitude; a barometer found in flight counts from its
// first reading. Above-ground limits against the height above the first
// fix judged (12:00:01: the first RMC has no altitude yet).
TEST_F(AirspaceLoopTest, LimitsJudgedByTheBarometerTheGpsAndTheTakeOff) {
  const std::string around = "DP 48:01 N 010:59 E\nDP 48:01 N 011:01 E\nDP 47:59 N 011:01 E\nDP 47:59 N 010:59 E\n";
  const std::string levels = "AC D\nAN FL\nAL FL50\nAH FL100\n" + around;        // from 1524 m
  const std::string ground = "AC D\nAN AGL\nAL 1000ft AGL\nAH FL100\n" + around;  // 305 m over the take-off
  ScriptedSensors barometer;
  barometer.altitude = 1400;
  const struct { std::string airspace; double later; int barometerFrom; std::vector<std::string> events; } rows[] = {
      {levels, 1560, -1, {"12:00:01 airspace inside: D FL"}},  // the GPS's 1560 m over FL50
      {levels, 1560, 0, {}},                                  // the pressure's 1400 m under it
      {levels, 1560, 5, {"12:00:01 airspace inside: D FL", "12:00:15 airspace clear: D FL"}},
      {ground, 900, -1, {"12:00:03 airspace inside: D AGL"}},  // 400 m over the take-off's 500
  };
  for (const auto& row : rows) {
    SetUp();  // a new flight
    SetSensorBackend(&barometer);
    g_bBaroOpen = row.barometerFrom == 0;
    int fixes = 0;
    window.onShow = [&] {
      if (++fixes == row.barometerFrom) g_bBaroOpen = true;  // found before the next fix
    };
    std::string stream;
    for (int t = 0; t < 30; ++t) stream += Fix(t, 0, row.airspace == ground && t < 2 ? 500 : row.later);
    MemoryByteSource source(stream);
    Fly(source, row.airspace);
    EXPECT_EQ(window.events, row.events) << row.airspace;
  }
}

}  // namespace
