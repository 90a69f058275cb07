#include "display/display_texts.h"

#include <gtest/gtest.h>

#include "base/flight_values.h"
#include "base/settings_values.h"
#include "tests/support/flight_test.h"

namespace {

// Also the sensors: logs the battery gauge's calls, a close with the top line as it stands.
class DisplayTextsTest : public FlightTest, public ScriptedSensors {
 protected:
  void SetUp() override {
    FlightTest::SetUp();
    SetSensorBackend(this);
    // A cockpit in which every value has digits of its own.
    batteryLevel = 87; state.strSpeed = " 41"; state.dSpeed = 41.44; state.dAltGps = 523.2;
    state.dCourse = 7.6; state.strLonHemi = "E"; state.strLonText = "01131.000";
    state.strTime = "123519"; state.strLatHemi = "N"; state.strLatText = "5535.111";
    state.dAltBaro = 1234; state.dBearingThermal = -12.6; state.dMagVar = 5;
    state.dBearingStart = -45; g_dWindDir = 90; g_dWindSpeed = 3.4; g_dVario = 1.26;
    g_dGlideRatio = 10; g_dHeading = 275.4; g_dSpeedOnHeading = 52.7; g_dAirspeed = 61.2;
    g_dThermalDist = 0.84; g_dCompassDir = 358; g_dStartDist = 2.345;
  }
  bool OpenBattery() override { calls += "open "; return batteryPresent; }
  int BatteryLevel() override { calls += "level "; return batteryLevel; }
  void CloseBattery() override { calls += "close(" + texts.strField1 + ") "; }
  // The three lines for the field codes, as "top|middle|bottom".
  std::string Show(int top, int middle, int bottom) {
    g_nFieldSel1 = top; g_nFieldSel2 = middle; g_nFieldSel3 = bottom;
    UpdateDisplayTexts(state, traffic, airspace, texts);
    return texts.strField1 + "|" + texts.strField2 + "|" + texts.strField3;
  }

  std::string calls;
  AcquisitionState state;
  TrafficPicture traffic;
  AirspaceTexts airspace;
  FieldTexts texts;
};

TEST_F(DisplayTextsTest, EveryCodeOfEveryField) {
  const struct { int code; const char* shown; } rows[] = {
      {-1, " 41| 41| 41"}, {20, " 41| 41| 41"},  // no selection, past the list
      {0, "V  41|V  41|V  41"}, {1, "H  523|H  523|H  523"}, {2, "K   8|K   8|K   8"},
      {3, "Wd 270|Wd 270|Wd 270"}, {4, "Wf  3|Wf  3|Wf  3"},
      {5, "E01131.000|E01131.000|E01131.000"}, {6, "N5535.111|N5535.111|N5535.111"},
      {7, "123519|T 123519|T 123519"}, {8, "Var 1.3|Var 1.3|Var 1.3"},
      {9, "FI 275|TAS  61|TAS  61"}, {10, "WX  53|Var 1.3|Var 1.3"},
      {11, "Var 1.3|Dist 0.8|Dist 0.8"}, {12, "Bat  87|Ugol -13|Ugol -13"},
      {13, "Hb1234|Hb1234|Hb 1234"}, {14, "TAS  61|Wc --|FIm  363"}, {15, "Wc --|Tr --|S0  2.3"},
      {16, "Tr --|As --|A0  -45"}, {17, "As --| 41|Wc --"},  // no circle flown yet, no traffic device
      {18, " 41| 41|Tr --"}, {19, " 41| 41|As --"},                 // no airspace near
  };
  for (const auto& row : rows) EXPECT_EQ(Show(row.code, row.code, row.code), row.shown);
  EXPECT_FALSE(texts.bTopInverse);
  batteryPresent = false;
  EXPECT_EQ(Show(12, 0, 0), "Error dev|V  41|V  41");
  EXPECT_EQ(Show(12, 0, 0), "Error dev|V  41|V  41");
  EXPECT_EQ(calls, "open level close(Bat  87) open open ");  // top only, closed if opened
}

TEST_F(DisplayTextsTest, WindFromSinkingAndMissingData) {
  const struct { void (*set)(AcquisitionState&); int top, middle, bottom; const char* shown; }
      rows[] = {
      {[](auto&) { g_dWindDir = 270; }, 3, 3, 3, "Wd  90|Wd  90|Wd  90"},
      {[](auto&) { g_dWindDir = 180; }, 3, 3, 3, "Wd 360|Wd 360|Wd 360"},
      {[](auto&) { g_dVario = 0; }, 8, 10, 10, "Var 0.0|Var 0.0|Var 0.0"},
      {[](auto& s) { g_dVario = -1.0; s.dSpeed = 36; }, 11, 8, 10, "d/H  36|D/H  10|d/H  36"},
      {[](auto& s) { s.strLonText.clear(); s.strLatText.clear(); }, 5, 6, 5, "E|N|E"},
      {[](auto&) { g_dCompassDir = -10; }, 0, 1, 14, "V  41|H  523|FIm   -5"},  // not wrapped
      // The circles' wind is where it comes from, as fitted: not the sectors' wind.
      {[](auto&) { g_circleWind = {270.4, 4.24, true}; }, 15, 14, 17, "Wc 270/4.2|Wc 270/4.2|Wc 270/4.2"},
      {[](auto&) { g_circleWind = {5, 12.36, true}; }, 15, 3, 17, "Wc   5/12.4|Wd 270|Wc   5/12.4"},
  };
  for (const auto& row : rows) {
    SetUp();  // a fresh cockpit for each row
    row.set(state);
    EXPECT_EQ(Show(row.top, row.middle, row.bottom), row.shown);
  }
}

// "Traffic" at the end of each list: top 16, middle 15, bottom 18.
TEST_F(DisplayTextsTest, TrafficShowsTheNearestTargetOrWhetherThereIsADevice) {
  const auto target = [](std::optional<double> north, std::optional<double> east, std::optional<double> up) {
    TrafficTarget t;
    t.dNorth = north, t.dEast = east, t.dVertical = up;
    return t;
  };
  const struct { bool device; std::vector<TrafficTarget> targets; const char* shown; } rows[] = {
      {false, {}, "Tr --"},
      {true, {}, "Tr 0"},
      // The nearest by horizontal distance, whatever the order; heights signed, never "-0".
      {true, {target(-1540, -1020, -1126), target(300, 400, 20.4), target(2000, 0, 5)}, "Tr 3 0.5 +20"},
      {true, {target(100, 0, -0.4)}, "Tr 1 0.1 +0"},
      {true, {target(0, 0, -20.5)}, "Tr 1 0.0 -20"},
      // A distance alone (no east) is a distance; a target 50 km away is shown as such.
      {true, {target(-870, std::nullopt, 30), target(50000, 0, 100)}, "Tr 2 0.9 +30"},
      {true, {target(50000, 0, std::nullopt)}, "Tr 1 50.0"},     // no height: left out
      {true, {target(std::nullopt, std::nullopt, 10)}, "Tr 1"},  // nothing to measure
  };
  for (const auto& row : rows) {
    traffic.bDevice = row.device;
    traffic.targets = row.targets;
    EXPECT_EQ(Show(16, 15, 18), std::string(row.shown) + "|" + row.shown + "|" + row.shown);
  }
}

// "Airspace" at the end of each list: top 17, middle 16, bottom 19. The
// entry shows what it is handed; a warning takes the top line black on
// white whatever the top field shows, unless a traffic alarm has it.
TEST_F(DisplayTextsTest, TheAirspaceEntryAndItsWarningOnTheTopLine) {
  airspace.strEntry = "As D 2.3";
  EXPECT_EQ(Show(17, 16, 19), "As D 2.3|As D 2.3|As D 2.3");
  EXPECT_FALSE(texts.bTopInverse);
  airspace.strWarning = "R LF-R45 12s";
  EXPECT_EQ(Show(0, 16, 19), "R LF-R45 12s|As D 2.3|As D 2.3");
  EXPECT_TRUE(texts.bTopInverse);
  EXPECT_EQ(texts.strTopField, "V  41") << "the field's own text, for when the warning ends";
  traffic.alarm = {1, 30, 900, {}};
  EXPECT_EQ(Show(0, 16, 19), "!1 1h 0.9|As D 2.3|As D 2.3") << "traffic first";
  EXPECT_TRUE(texts.bTopInverse);
}

}  // namespace
