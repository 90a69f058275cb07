// The pilot's airspace through the acquisition loop: each accepted fix
// checked before its texts are built, so that the warning, the "Airspace"
// entry and the replay's lines come with the fix that caused them; the
// beeps asked for at a warning's start and entry; the limits judged by the
// barometer, the GPS and the take-off point; the tap on the top line; the
// map's borders with the repaint.
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

// A pilot flying east along 48 N from 11 E at 40 knots (74 km/h).
constexpr double kKnots = 40;
const double kMetresPerSecond = kKnots * 1.85 / 3.6;
const double kEastPerDegree = MetresPerDegreeEast(48.0);

// The fix `second` seconds after 12:00:00, `east_m` east of 11 E: its RMC
// (time, position, speed, course) and its GGA (altitude), in that order.
std::string Fix(int second, double east_m, double altitude_m) {
  char time[16], lon[16], alt[16], speed[16];
  std::snprintf(time, sizeof time, "12%02d%02d", second / 60, second % 60);
  std::snprintf(lon, sizeof lon, "011%07.4f", east_m / kEastPerDegree * 60);
  std::snprintf(alt, sizeof alt, "%.1f", altitude_m);
  std::snprintf(speed, sizeof speed, "%.1f", kKnots);
  const std::string where = std::string("4800.0000,N,") + lon + ",E";
  return Sentence(std::string("GPRMC,") + time + ",A," + where + "," + speed + ",090.0,150726,,,A") +
         Sentence(std::string("GPGGA,") + time + "," + where + ",1,08,0.9," + alt + ",M,46.9,M,,");
}

// The flight east from 11 E at 1000 m, `seconds` fixes long.
std::string FlightEast(int seconds) {
  std::string stream;
  for (int t = 0; t < seconds; ++t) stream += Fix(t, kMetresPerSecond * t, 1000);
  return stream;
}

// A restricted area from the ground to FL100 whose west edge lies 0.8'
// of longitude (995 m) east of 11 E, 0.8' wide, 2' of latitude each way.
const char kRestricted[] =
    "AC R\nAN TEST\nAL GND\nAH FL100\n"
    "DP 48:02:00 N 011:00.800 E\nDP 48:02:00 N 011:01.600 E\n"
    "DP 47:58:00 N 011:01.600 E\nDP 47:58:00 N 011:00.800 E\n";

std::shared_ptr<const AirspaceSet> Airspaces(const std::string& text) {
  return std::make_shared<const AirspaceSet>(ReadAirspaceText(text).airspaces);
}

// The window as the loop sees it: "top|middle" for each fix ("*" after a
// line black on white), "at once: ..." between fixes, and the events.
class AirspaceWindow : public RecordingWindow {
 public:
  void ShowFieldTexts(const FieldTexts& t) override {
    lines.push_back(t.strField1 + (t.bTopInverse ? "*" : "") + "|" + t.strField2);
    RecordingWindow::ShowFieldTexts(t);
  }
  void ShowAlarmChange(const FieldTexts& t) override {
    lines.push_back("at once: " + t.strField1 + (t.bTopInverse ? "*" : "") + "|" + t.strField2);
  }
  void TellAirspaceEvent(const std::string& line) override { events.push_back(line); }
  std::vector<std::string> lines, events;
};

class AirspaceLoopTest : public FlightTest {
 protected:
  void SetUp() override {
    FlightTest::SetUp();
    g_nFieldSel1 = 0;   // speed
    g_nFieldSel2 = 16;  // airspace
  }
  void Fly(ByteSource& source, const std::string& airspace) {
    AcquisitionLoop loop(source, window, {.reopenPause = {}, .trafficClock = nullptr});
    if (!airspace.empty()) loop.SetAirspace(Airspaces(airspace));
    pLoop = &loop;
    loop.AcquisitionThreadProc();
    pLoop = nullptr;
  }
  void Fly(const std::string& stream, const std::string& airspace) {
    MemoryByteSource source(stream);
    Fly(source, airspace);
  }
  AirspaceWindow window;
  AcquisitionLoop* pLoop = nullptr;
};

// Entry at 995 m / 20.56 m/s = 48.4 s: "ahead" from 12:00:19 (29.4 s
// ahead), "inside" at 12:00:49, out at 1990 m (96.8 s) and past the
// 200 m margin at 2190 m (106.5 s), so clear at 12:01:57, 10 s after the
// first fix beyond it (within the margin it reads "0s"). The warning is on
// the top line with its own fix, the beeps asked for at the start and on
// entry.
TEST_F(AirspaceLoopTest, AheadInsideAndClearEachWithTheFixThatCausedIt) {
  const unsigned long beeps = AirspaceBeepRequests();
  Fly(FlightEast(125), kRestricted);
  EXPECT_EQ(window.events, (std::vector<std::string>{"12:00:19 airspace ahead 29s: R TEST",
                                                     "12:00:49 airspace inside: R TEST",
                                                     "12:01:57 airspace clear: R TEST"}));
  ASSERT_EQ(window.lines.size(), 125u);
  EXPECT_EQ(window.lines[0], "V  74|As --") << "nothing is judged before the receiver gives an altitude";
  EXPECT_EQ(window.lines[1], "V  74|As R 1.0");
  EXPECT_EQ(window.lines[18], "V  74|As R 0.6");
  EXPECT_EQ(window.lines[19], "R TEST 29s*|As R 0.6");
  EXPECT_EQ(window.lines[48], "R TEST 0s*|As R 0.0");
  EXPECT_EQ(window.lines[49], "R TEST in*|As R in");
  EXPECT_EQ(window.lines[97], "R TEST 0s*|As R 0.0");
  EXPECT_EQ(window.lines[116], "R TEST 0s*|As R 0.4") << "held for 10 s";
  EXPECT_EQ(window.lines[117], "V  74|As R 0.4");
  EXPECT_EQ(AirspaceBeepRequests() - beeps, 2u);
}

TEST_F(AirspaceLoopTest, WithoutAnAirspaceFileNothingChanges) {
  Fly(FlightEast(60), "");
  EXPECT_TRUE(window.events.empty());
  for (const std::string& line : window.lines) EXPECT_EQ(line, "V  74|As --");
  EXPECT_TRUE(LatestMapBorders()->empty());
}

// Flight levels against the barometer's pressure altitude while one is
// open, else against the GPS altitude; a barometer found in flight counts
// from its first reading. Above-ground limits against the height above the
// first fix checked (GGA comes after RMC: the first fix has no altitude).
TEST_F(AirspaceLoopTest, LimitsJudgedByTheBarometerTheGpsAndTheTakeOff) {
  const std::string around = "DP 48:01:00 N 010:59:00 E\nDP 48:01:00 N 011:01:00 E\n"
                             "DP 47:59:00 N 011:01:00 E\nDP 47:59:00 N 010:59:00 E\n";
  const std::string levels = "AC D\nAN LEVELS\nAL FL50\nAH FL100\n" + around;  // from 1524 m
  const std::string ground = "AC D\nAN GROUND\nAL 1000ft AGL\nAH FL100\n" + around;  // from 305 m over the take-off
  const std::string sea = "AC D\nAN SEA\nAL 1500m MSL\nAH FL100\n" + around;
  ScriptedSensors barometer;
  barometer.altitude = 1400;
  const auto stream = [](double first, double later) {
    std::string s;
    for (int t = 0; t < 30; ++t) s += Fix(t, 0, t < 2 ? first : later);
    return s;
  };
  const struct { std::string airspace; double first, later; int barometerFrom; std::vector<std::string> events; }
      rows[] = {
          {levels, 1560, 1560, -1, {"12:00:01 airspace inside: D LEVELS"}},     // GPS 1560 m over FL50
          {levels, 1560, 1560, 0, {}},                                        // pressure 1400 m under it
          {levels, 1560, 1560, 5, {"12:00:01 airspace inside: D LEVELS",       // the barometer from 12:00:05
                                   "12:00:15 airspace clear: D LEVELS"}},
          {sea, 1560, 1560, 0, {"12:00:01 airspace inside: D SEA"}},           // AMSL: the GPS, barometer or not
          {ground, 500, 900, -1, {"12:00:03 airspace inside: D GROUND"}},      // 400 m over the take-off's 500
          {ground, 500, 700, -1, {}},                                         // 200 m: more than 100 m under
  };
  for (const auto& row : rows) {
    SetUp();  // a new flight
    SetSensorBackend(&barometer);
    window.events.clear();
    g_bBaroOpen = row.barometerFrom == 0;
    int fixes = 0;
    window.onShow = [&] {
      if (++fixes == row.barometerFrom) g_bBaroOpen = true;  // found between this fix and the next
    };
    Fly(stream(row.first, row.later), row.airspace);
    EXPECT_EQ(window.events, row.events) << row.airspace;
  }
}

// A tap on the top line acknowledges the airspace warning that has it, at
// once and without beeps, until the pilot enters the airspace; a tap while
// the traffic alarm has the line (traffic first) acknowledges nothing.
TEST_F(AirspaceLoopTest, ATapAcknowledgesTheWarningOnTheTopLineUntilTheEntry) {
  ScriptedByteSource source;   // a byte a read: a tap is answered between two fixes
  std::string stream;
  for (int t = 0; t < 60; ++t) {
    stream += Fix(t, kMetresPerSecond * t, 1000);
    if (t == 19) stream += Sentence("PFLAU,2,1,2,1,2,-30,2,20,224,DD1234");
    if (t == 20) stream += Sentence("PFLAU,2,1,2,1,0,,0,,");
  }
  source.AddBytes(stream);
  int fixes = 0;
  window.onShow = [&] {
    ++fixes;
    if (fixes == 21 || fixes == 26) pLoop->TopLineTapped();  // the traffic alarm's, then the warning's
  };
  const unsigned long beeps = AirspaceBeepRequests();
  Fly(source, kRestricted);
  const std::vector<std::string> expected = {
      "R TEST 29s*|As R 0.6", "at once: !2 11h 0.2 +20*|As R 0.6", "!2 11h 0.2 +20*|As R 0.6",
      "at once: R TEST 28s*|As R 0.6", "R TEST 27s*|As R 0.6", "R TEST 26s*|As R 0.5", "R TEST 25s*|As R 0.5",
      "R TEST 24s*|As R 0.5", "R TEST 23s*|As R 0.5", "at once: V  74|As R 0.5", "V  74|As R 0.5"};
  ASSERT_GE(window.lines.size(), 20u + expected.size());
  EXPECT_EQ(std::vector<std::string>(window.lines.begin() + 19, window.lines.begin() + 19 + expected.size()),
            expected);
  EXPECT_EQ(window.lines.back(), "R TEST in*|As R in") << "the entry ends the silence";
  EXPECT_EQ(window.events, (std::vector<std::string>{"12:00:19 airspace ahead 29s: R TEST",
                                                     "12:00:49 airspace inside: R TEST"}));
  EXPECT_EQ(AirspaceBeepRequests() - beeps, 2u) << "the start and the entry";
}

// The map's borders are taken around the pilot with every fourth fix's
// repaint: the restricted area's west edge 995 m east of 11 E is 933 m
// ahead at the fourth fix (12:00:03).
TEST_F(AirspaceLoopTest, TheMapsBordersComeWithTheRepaint) {
  int repaints = 0;
  window.onRepaint = [&] {
    ++repaints;
    ASSERT_FALSE(LatestMapBorders()->empty());
    bool westEdge = false;
    for (const BorderSegment& edge : *LatestMapBorders()) {
      westEdge |= std::abs(edge.from.x - (995 - 4 * (repaints - 1) * kMetresPerSecond - 3 * kMetresPerSecond)) < 3 &&
                  edge.from.x == edge.to.x;
    }
    EXPECT_TRUE(westEdge) << repaints;
  };
  Fly(FlightEast(12), kRestricted);
  EXPECT_EQ(repaints, 3);
}

}  // namespace
