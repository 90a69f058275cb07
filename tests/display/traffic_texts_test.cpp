#include "display/traffic_texts.h"

#include <gtest/gtest.h>

#include "display/top_line.h"

namespace {

// The threat's clock position all round the dial: 12 ahead, 3 right, 9
// left, each hour the 30 degrees around it.
TEST(TrafficTexts, ClockPositionsAllRoundTheDial) {
  const struct { double bearing; int hour; } rows[] = {
      {0, 12},    {14.9, 12}, {15, 1},    {-14.9, 12}, {-15, 11},  {30, 1},    {44.9, 1},
      {45, 2},    {60, 2},    {90, 3},    {120, 4},    {150, 5},   {165, 6},   {180, 6},
      {-180, 6},  {-165, 6},  {-164.9, 7}, {-150, 7},  {-120, 8},  {-90, 9},   {-75, 9},
      {-60, 10},  {-45, 10},  {-30, 11},  {-44.9, 11}, {175, 6},   {-105, 8},  {105, 4},
  };
  for (const auto& [bearing, hour] : rows) EXPECT_EQ(ClockHour(bearing), hour) << bearing;
}

TEST(TrafficTexts, TheAlarmLineLeavesOutWhatTheAlarmLeavesEmpty) {
  const struct { TrafficAlarm alarm; const char* text; } rows[] = {
      {{3, -60, 300, 20}, "!3 10h 0.3 +20"},
      {{1, 90, 1840, -152.6}, "!1 3h 1.8 -153"},
      {{2, 179, 40, -0.3}, "!2 6h 0.0 +0"},
      {{2, {}, {}, {}}, "!2"},
      {{3, {}, 755, {}}, "!3 0.8"},
      {{1, 0, {}, 30}, "!1 12h +30"},
      {{3, {}, 50000, 8108}, "!3 50.0 +8108"},
      {{0, 30, 300, 20}, ""},  // no alarm
  };
  for (const auto& [alarm, text] : rows) EXPECT_EQ(TrafficAlarmText(alarm), text) << text;
}

// One alarm line, one priority: traffic, then airspace, then the field.
TEST(TrafficTexts, TheTrafficAlarmOwnsTheTopLineWhileItLastsThenTheAirspaceWarning) {
  const TrafficAlarm none, alarm{1, 30, 900, {}};
  EXPECT_EQ(DecideTopLine("V  41", none, ""), (TopLine{"V  41", false, TopLineOwner::kField}));
  EXPECT_EQ(DecideTopLine("V  41", alarm, ""), (TopLine{"!1 1h 0.9", true, TopLineOwner::kTrafficAlarm}));
  EXPECT_EQ(DecideTopLine("V  41", none, "D CTR 9s"), (TopLine{"D CTR 9s", true, TopLineOwner::kAirspaceWarning}));
  EXPECT_EQ(DecideTopLine("V  41", alarm, "D CTR 9s"), (TopLine{"!1 1h 0.9", true, TopLineOwner::kTrafficAlarm}));
}

}  // namespace
