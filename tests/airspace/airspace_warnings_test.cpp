#include "airspace/airspace_warnings.h"

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "airspace/airspace_texts.h"
#include "tests/airspace/test_airspaces.h"

namespace {

PilotAltitudes Level(double msl) { return {msl, msl, msl}; }

AirspaceFix Fix(double t, double east, double north, double speed_kmh, double track, double msl,
                double climb = 0) {
  return {t, At(east, north), speed_kmh, track, climb, Level(msl)};
}

struct Logged {
  double t;
  AirspaceEvent event;
};

// Flies fixes once a second from t = first to last, at `where(t)`.
template <typename Where>
std::vector<Logged> Fly(AirspaceWarnings& warnings, int first, int last, Where where) {
  std::vector<Logged> log;
  for (int t = first; t <= last; ++t) {
    for (const AirspaceEvent& e : warnings.Check(where(t))) log.push_back({static_cast<double>(t), e});
  }
  return log;
}

// East at 72 km/h (20 m/s) at 1000 m from 510 m west of the origin toward
// the square from 300 to 1300 m east: at the fix of second t the pilot is
// at 20 t - 510, the entry 810 / 20 - t = 40.5 - t s ahead. It is 29.5 s at
// t = 11 ("ahead 29s"); he is in at t = 41 (at 310 m); out at t = 91 (at
// 1310 m) but within 200 m of the border until t = 100 (at 1490 m), so
// the condition is false from t = 101 and the warning clears 10 s later.
TEST(AirspaceWarningsTest, StartEntryAndClearOfAStraightFlight) {
  const AirspaceSet set({Shape(Rectangle(300, 1300, -500, 500), kGround, Msl(2000), "D", "CTR Zurich")});
  AirspaceWarnings warnings(set);
  const std::vector<Logged> log = Fly(warnings, 0, 130, [](int t) { return Fix(t, 20.0 * t - 510, 0, 72, 90, 1000); });
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].t, 11);
  EXPECT_EQ(log[0].event, (AirspaceEvent{AirspaceEventKind::kAhead, 0, 29, false}));
  EXPECT_EQ(log[1].t, 41);
  EXPECT_EQ(log[1].event.kind, AirspaceEventKind::kInside);
  EXPECT_EQ(log[2].t, 111);
  EXPECT_EQ(log[2].event.kind, AirspaceEventKind::kClear);
  EXPECT_EQ(AirspaceEventLine(log[0].event, set, "123519"), "12:35:19 airspace ahead 29s: D CTR Zurich");
  EXPECT_EQ(AirspaceEventLine(log[1].event, set, "123549"), "12:35:49 airspace inside: D CTR Zurich");
  EXPECT_EQ(AirspaceEventLine(log[2].event, set, "123759"), "12:37:59 airspace clear: D CTR Zurich");
}

// Along the square's north edge, weaving between 140 and 220 m from it:
// in and out of the 200 m margin every few seconds, yet one warning.
TEST(AirspaceWarningsTest, AlongTheBorderOneWarningNotOneASecond) {
  const AirspaceSet set({Shape(Rectangle(-3000, 3000, -500, 500), kGround, Msl(2000))});
  AirspaceWarnings warnings(set);
  int lastWithin = -1;
  const std::vector<Logged> log = Fly(warnings, 0, 250, [&](int t) {
    const double north = t < 200 ? 500 + 180 + 40 * std::sin(0.9 * t) : 2000;  // away at 200 s
    if (north - 500 <= 200) lastWithin = t;
    return Fix(t, 20.0 * t - 2000, north, 72, 90, 1000);
  });
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].event, (AirspaceEvent{AirspaceEventKind::kAhead, 0, 0, false}));
  EXPECT_EQ(log[1].event.kind, AirspaceEventKind::kClear);
  EXPECT_EQ(log[1].t, lastWithin + 1 + AirspaceWarnings::kHold_s);
}

// A day of high pressure (QNH about 1040 hPa): the pressure altitude reads
// 225 m less than the GPS altitude. The pilot flies at 1900 m GPS (1675 m
// pressure altitude), 1300 m above his take-off at 600 m, over three
// airspaces, each horizontally around him:
//   floor FL60 = 1828.8 m pressure altitude: he is 154 m below it (a GPS
//     comparison would put him 71 m inside);
//   floor 6000 ft MSL = 1828.8 m: he is 71 m inside;
//   floor 1500 m AGL: he is 200 m below it (as sea level he would be in).
TEST(AirspaceWarningsTest, FlightLevelsAgainstPressureSeaLevelAgainstGpsGroundAgainstTakeoff) {
  const auto area = [] { return Rectangle(-5000, 5000, -5000, 5000); };
  const AirspaceSet set({Shape(area(), {AltitudeReference::kPressure, 6000 * kMetresPerFoot}, Msl(5000), "C", "FL"),
                         Shape(area(), Msl(6000 * kMetresPerFoot), Msl(5000), "C", "MSL"),
                         Shape(area(), {AltitudeReference::kAgl, 1500}, Msl(5000), "C", "AGL")});
  AirspaceWarnings warnings(set);
  const double pressure = 1900 - 225;
  AirspaceFix fix{0, kOrigin, 0, 0, 0, PilotAltitudes::From(1900, pressure, 600)};
  std::vector<AirspaceEvent> events = warnings.Check(fix);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0], (AirspaceEvent{AirspaceEventKind::kInside, 1, 0, false}));

  // Without a barometer the flight level is compared with the GPS altitude.
  AirspaceWarnings noBarometer(set);
  fix.altitudes = PilotAltitudes::From(1900, std::nullopt, 600);
  events = noBarometer.Check(fix);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].airspace, 0u);
  EXPECT_EQ(events[1].airspace, 1u);
}

TEST(AirspaceWarningsTest, OnlyActiveAirspacesOfWarningClassesWarn) {
  struct Case {
    const char* cls;
    const char* type;
    bool active;
    bool warns;
    const char* shown;
  };
  const Case cases[] = {{"A", "", true, true, "A"},    {"D", "CTR", true, true, "D"}, {"CTR", "", true, true, "CTR"},
                        {"GP", "", true, true, "GP"},  {"R", "", true, true, "R"},    {"E", "", true, false, "E"},
                        {"G", "Q", true, true, "Q"},   {"UNC", "P", true, true, "P"}, {"W", "", true, false, "W"},
                        {"TMZ", "", true, false, "TMZ"}, {"RMZ", "TMZ", true, false, "RMZ"}, {"C", "R", true, true, "R"},
                        {"R", "", false, false, "R"}};
  for (const Case& c : cases) {
    Airspace airspace = Shape(Rectangle(-500, 500, -500, 500), kGround, Msl(2000), c.cls);
    airspace.type = c.type;
    airspace.active = c.active;
    EXPECT_EQ(airspace.ShownClass(), c.shown) << c.cls << " " << c.type;
    const AirspaceSet set({airspace});
    AirspaceWarnings warnings(set);
    EXPECT_EQ(warnings.Check(Fix(0, 0, 0, 0, 0, 1000)).size(), c.warns ? 1u : 0u) << c.cls << " " << c.type;
  }
}

// Circling at 100 m from the border of a restricted area: tapping the
// warning silences it for five minutes, entering brings it back at once.
TEST(AirspaceWarningsTest, AcknowledgeSilencesForFiveMinutesUnlessEntered) {
  const AirspaceSet set({Shape(Rectangle(0, 3000, -3000, 3000), kGround, Msl(2000), "R", "LF-R45")});
  AirspaceWarnings warnings(set);
  const auto near = [](int t) { return Fix(t, -100, 0, 0, 0, 1000); };
  EXPECT_EQ(warnings.Check(near(0)).size(), 1u);
  EXPECT_EQ(warnings.MostUrgent(), (AirspaceWarning{0, false, 0}));
  warnings.Acknowledge(0);
  EXPECT_FALSE(warnings.MostUrgent());
  for (int t = 1; t < 300; ++t) warnings.Check(near(t));
  EXPECT_FALSE(warnings.MostUrgent());
  warnings.Check(near(300));
  EXPECT_TRUE(warnings.MostUrgent());

  warnings.Acknowledge(300);
  const std::vector<AirspaceEvent> events = warnings.Check(Fix(301, 100, 0, 0, 0, 1000));
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0], (AirspaceEvent{AirspaceEventKind::kInside, 0, 0, false}));
  EXPECT_EQ(warnings.MostUrgent(), (AirspaceWarning{0, true, 0}));
}

TEST(AirspaceWarningsTest, MostUrgentFirstAndTheEntrysTexts) {
  // Inside a large class C; a restricted area 310 m ahead (15.5 s at
  // 72 km/h); a class D beside the track.
  const Airspace restricted = Shape(Rectangle(310, 800, -100, 100), kGround, Msl(2000), "R", "LF-R45");
  const Airspace beside = Shape(Rectangle(500, 900, 200, 600), kGround, Msl(2000), "D", "CTR Emmen");
  const Airspace drawn = Shape(Rectangle(-900, -500, -200, 200), kGround, Msl(2000), "E", "Drawn only");
  const AirspaceSet set({Shape(Rectangle(-5000, 5000, -5000, 5000), kGround, Msl(3000), "C", "TMA Zurich"),
                         restricted, beside, drawn});
  AirspaceWarnings warnings(set);
  warnings.Check(Fix(0, 0, 0, 72, 90, 1000));
  ASSERT_TRUE(warnings.MostUrgent());
  EXPECT_EQ(AirspaceTopLine(*warnings.MostUrgent(), set, 20), "C TMA Zurich in");
  EXPECT_EQ(AirspaceTopLine(*warnings.MostUrgent(), set, 9), "C TMA in");
  EXPECT_EQ(AirspaceTopLine(*warnings.MostUrgent(), set, 4), "C in");
  EXPECT_EQ(AirspaceFieldText(warnings.Nearest(), set), "As C in");
  warnings.Acknowledge(0);
  EXPECT_EQ(AirspaceTopLine(*warnings.MostUrgent(), set, 12), "R LF-R45 15s");
  EXPECT_EQ(AirspaceTopLine(*warnings.MostUrgent(), set, 11), "R LF-R4 15s");

  // Without the class C, standing 400 m south of the restricted area's
  // corner (the class D's is 728 m away): the nearest, and no warning.
  const AirspaceSet three({restricted, beside, drawn});
  AirspaceWarnings south(three);
  south.Check(Fix(0, 310, -500, 0, 0, 1000));
  EXPECT_EQ(AirspaceFieldText(south.Nearest(), three), "As R 0.4");
  EXPECT_FALSE(south.MostUrgent());
  // 101 m above their tops they are not the pilot's concern.
  AirspaceWarnings above(three);
  above.Check(Fix(0, 310, -500, 0, 0, 2101));
  EXPECT_EQ(AirspaceFieldText(above.Nearest(), three), "As --");
  above.Check(Fix(1, 310, -500, 0, 0, 2100));
  EXPECT_EQ(AirspaceFieldText(above.Nearest(), three), "As R 0.4");
}

}  // namespace
