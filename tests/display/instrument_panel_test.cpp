#include "display/instrument_panel.h"

#include <array>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/display/recording_paint_context.h"

namespace {

using Ops = std::vector<std::string>;

Ops Paint(const PanelValues& values) {
  RecordingPaintContext dc;
  PaintInstrumentPanel(dc, values);
  return dc.ops;
}

// Move and line for each segment x1, y1, x2, y2.
Ops Lines(std::initializer_list<std::array<int, 4>> segments) {
  Ops ops;
  for (const auto& s : segments) {
    ops.push_back("move " + std::to_string(s[0]) + " " + std::to_string(s[1]));
    ops.push_back("line " + std::to_string(s[2]) + " " + std::to_string(s[3]));
  }
  return ops;
}

const Ops kGrid = Lines({{2, 225, 142, 225}, {2, 295, 142, 295}, {2, 365, 142, 365},
                         {2, 225, 2, 365}, {72, 225, 72, 365}, {142, 225, 142, 365}});

// What a paint draws after the pen and the grid, up to the pen's restore.
Ops AfterGrid(const PanelValues& values) {
  const Ops ops = Paint(values);
  EXPECT_EQ(ops.front(), "pen");
  EXPECT_EQ(Ops(ops.begin() + 1, ops.begin() + 1 + kGrid.size()), kGrid);
  EXPECT_EQ(ops.back(), "restore");
  return Ops(ops.begin() + 1 + kGrid.size(), ops.end() - 1);
}

TEST(InstrumentPanel, WindSymbol) {
  const Ops fromRight = Lines({{220, 324, 160, 325}, {220, 324, 220, 349}, {210, 324, 210, 336}});
  const struct { PanelValues values; Ops drawn; } rows[] = {
      // Start of flight, r = 180: g_dPi a hair below pi leaves 189 and 354.
      {{}, Lines({{189, 355, 190, 295}, {189, 355, 177, 354}})},
      {{.dWindDir = 180, .dWindSpeed = 3}, Lines({{190, 295, 190, 355}, {190, 295, 215, 295}})},
      {{.dWindDir = 270, .dWindSpeed = 6}, fromRight},
      {{.dWindDir = 360, .dWindSpeed = 6, .dHeading = 90}, fromRight},  // same angle to the heading
  };
  for (const auto& row : rows) EXPECT_EQ(AfterGrid(row.values), row.drawn) << row.values.dWindDir;
}

TEST(InstrumentPanel, WindSpeedClassesGiveBarbCountAndLength) {
  const struct { double speed; std::vector<int> barbs; } rows[] = {
      {0, {12}},        {2.5, {12}},      {2.51, {25}},   {5, {25}},          {5.01, {25, 12}},
      {7.49, {25, 12}}, {7.5, {25, 25}},  {10, {25, 25}}, {10.01, {25, 25, 25}},
  };
  for (const auto& row : rows) {
    // Wind from straight ahead: shaft upright, barbs to the right from its top down.
    Ops expected = Lines({{190, 295, 190, 355}});
    for (int i = 0; i < static_cast<int>(row.barbs.size()); ++i) {
      const Ops barb = Lines({{190, 295 + 10 * i, 190 + row.barbs[i], 295 + 10 * i}});
      expected.insert(expected.end(), barb.begin(), barb.end());
    }
    EXPECT_EQ(AfterGrid({.dWindDir = 180, .dWindSpeed = row.speed}), expected) << row.speed;
  }
}

TEST(InstrumentPanel, ThermalMarkerFollowsTheGridOnlyWhileClimbPeakIsPositive) {
  const struct { PanelValues values; const char* marker; } rows[] = {
      {{.dThermalDist = 0, .dClimbPeak = 0.5}, "ellipse 65 288 79 302"},
      {{.dThermalDist = 2.5, .dThermalBearing = 90, .dClimbPeak = 1.0}, "ellipse 127 280 157 310"},
      {{.dThermalDist = 0.5, .dThermalBearing = 0, .dClimbPeak = 2}, "ellipse 57 245 87 275"},
      {{.dThermalDist = 0.5, .dThermalBearing = -90, .dClimbPeak = 2}, "ellipse 22 279 52 309"},
      {{.dThermalDist = 0.5, .dClimbPeak = -1}, "move 189 355"},  // no marker: the wind follows
      {{.dThermalDist = 2.5, .dThermalBearing = 90, .dClimbPeak = 0}, "move 189 355"},
  };
  for (const auto& row : rows) EXPECT_EQ(AfterGrid(row.values).front(), row.marker);
}

TEST(InstrumentPanel, NonFiniteValueIsDrawnAsZero) {
  const PanelValues base{0.5, 30, 2, 45, 8, 100};
  for (auto field : {&PanelValues::dThermalDist, &PanelValues::dThermalBearing,
                     &PanelValues::dClimbPeak, &PanelValues::dWindDir, &PanelValues::dWindSpeed,
                     &PanelValues::dHeading}) {
    for (double fault : {std::numeric_limits<double>::quiet_NaN(),
                         std::numeric_limits<double>::infinity(),
                         -std::numeric_limits<double>::infinity()}) {
      PanelValues faulty = base, zero = base;
      faulty.*field = fault;
      zero.*field = 0;
      EXPECT_EQ(Paint(faulty), Paint(zero)) << fault;
    }
  }
  // Finite but absurd values still give coordinates, not an int overflow.
  EXPECT_EQ(Paint({-1e300, 30, 2, -1.7e308, 8, 1.7e308}).size(), 1 + kGrid.size() + 1 + 6 + 1);
}

}  // namespace
