// The traffic sentences in the shapes real devices send them.
#include "flight/traffic_reader.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "flight/nmea_reader.h"

namespace {

using Opt = std::optional<double>;
constexpr std::nullopt_t kAbsent = std::nullopt;

// As the loop hands a sentence over: up to and including the "*".
std::string Text(const std::string& body) { return "$" + body + "*"; }

TEST(TrafficReaderTest, StatusSentenceShapes) {
  const struct { const char* body; TrafficAlarm alarm; } rows[] = {
      {"PFLAU,3,1,2,1,2,-30,2,-32,755", {2, -30, 755, -32}},  // the last field counts
      {"PFLAU,3,1,2,1,3,-30,2,-32,755,DD8F12", {3, -30, 755, -32}},
      {"PFLAU,3,1,2,1,0,,0,,", {}},                   // no alarm: the fields empty
      {"PFLAU,3,1,2,1,0", {}},                        // ... or absent
      {"PFLAU,11,1,2,1,0,,0,,,", {}},
      {"PFLAU,3,1,2,1,1,,2,,", {1, kAbsent, kAbsent, kAbsent}},  // the level alone
      {"PFLAU,3,1,2,1,2", {2, kAbsent, kAbsent, kAbsent}},
      {"PFLAU,3,1,2,1,4,45,41,20,300", {}},           // information alerts are no collision alarm
      {"PFLAU,3,1,2,1,7,45,2,20,300", {}},
      {"PFLAU,3,1,2,1,-1,45,2,20,300", {}},
      {"PFLAU,3,1,2,1,2.5,45,2,20,300", {}},
      {"PFLAU,3,1,2,1,,45,2,20,300", {}},
      {"PFLAU,3,1,2,1,1,999,2,20,300", {1, kAbsent, 300, 20}},    // no such bearing
      {"PFLAU,3,1,2,1,1,-180,2,20,300", {1, -180, 300, 20}},
      {"PFLAU,3,1,2,1,3,10,2,1e400,50000", {3, 10, 50000, kAbsent}},  // 50 km is far, 1e400 no number
      {"PFLAU,3,1,2,1,3,10,2,20,-5", {3, 10, kAbsent, 20}},          // no negative distance
      {"PFLAU,3,1,2,1,3,abc,2,x,", {3, kAbsent, kAbsent, kAbsent}},
      {"PFLAU,3,1,2,1,2,+30,2,12abc,0755", {2, 30, 755, kAbsent}},  // one number, nothing else
  };
  for (const auto& [body, alarm] : rows) EXPECT_EQ(ReadTrafficStatus(Text(body)), alarm) << body;
}

struct Shape {
  int level;
  Opt north, east, up, track;
  std::string id, name;
};
Shape Read(const std::string& body) {
  const TrafficTarget t = ReadTrafficTarget(Text(body));
  return {t.nAlarmLevel, t.dNorth, t.dEast, t.dVertical, t.dTrack, t.strId, t.strName};
}
bool operator==(const Shape& a, const Shape& b) {
  return a.level == b.level && a.north == b.north && a.east == b.east && a.up == b.up &&
         a.track == b.track && a.id == b.id && a.name == b.name;
}

TEST(TrafficReaderTest, TargetSentenceShapes) {
  const struct { const char* body; Shape shape; } rows[] = {
      {"PFLAA,0,-1540,-1020,-1126,1,39103C!FJLKN,93,0,33,4.9,8", {0, -1540, -1020, -1126, 93, "39103C", "FJLKN"}},
      {"PFLAA,0,-40770,-41860,8108,1,392AEB,101,0,233,0.0,0", {0, -40770, -41860, 8108, 101, "392AEB", ""}},
      // Stealth: position only.
      {"PFLAA,1,200,-100,20,2,DD1234,,,,,1", {1, 200, -100, 20, kAbsent, "DD1234", ""}},
      // A transponder target with a distance only.
      {"PFLAA,2,850,,-30,1,3C66C1,,,,,9", {2, 850, kAbsent, -30, kAbsent, "3C66C1", ""}},
      // Newer devices' fields at the end are read past.
      {"PFLAA,3,10,20,5,2,DD5678,180,-4.5,30,1.2,1,0,1,-71", {3, 10, 20, 5, 180, "DD5678", ""}},
      {"PFLAA,0,10,20,5,2,DD5678!,180,0,30,1.2,1", {0, 10, 20, 5, 180, "DD5678", ""}},
      {"PFLAA,4,10,20,5,2,DD5678,180,0,30,1.2,1", {0, 10, 20, 5, 180, "DD5678", ""}},  // no collision alarm
      // Out of range: never a number the map or the texts cannot take.
      {"PFLAA,0,50000,0,100,1,ABCDEF,999,0,30,1,1", {0, 50000, 0, 100, kAbsent, "ABCDEF", ""}},
      {"PFLAA,0,5e9,7,1e999,1,ABCDEF,90", {0, kAbsent, kAbsent, kAbsent, 90, "ABCDEF", ""}},
      {"PFLAA,0,,7,3,1,ABCDEF,90", {0, kAbsent, kAbsent, 3, 90, "ABCDEF", ""}},  // east alone is no position
      {"PFLAA", {0, kAbsent, kAbsent, kAbsent, kAbsent, "", ""}},
  };
  for (const auto& [body, shape] : rows) EXPECT_TRUE(Read(body) == shape) << body;
}

TEST(TrafficReaderTest, TheTrafficSentencesAreKnownByName) {
  EXPECT_EQ(NmeaSentenceKind(Text("PFLAU,3,1,2,1,0,,0,,")), NmeaKind::kTrafficStatus);
  EXPECT_EQ(NmeaSentenceKind(Text("PFLAA,0,1,2,3,1,ABCDEF,,,,,1")), NmeaKind::kTrafficTarget);
  EXPECT_EQ(NmeaSentenceKind(Text("PFLAE,R,0,0")), NmeaKind::kOther);
  EXPECT_EQ(NmeaSentenceKind(Text("PFLAUX,1")), NmeaKind::kOther);
}

}  // namespace
