#include "flight/traffic_table.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TrafficTarget Target(const std::string& id, double north, int level = 0) {
  TrafficTarget t;
  t.strId = id;
  t.dNorth = north;
  t.dEast = 0.0;
  t.nAlarmLevel = level;
  return t;
}

std::string Ids(const TrafficTable& table) {
  std::string ids;
  for (const TrafficTarget& t : table.Picture().targets) ids += t.strId + " ";
  return ids;
}

// A target not reported for 3 s is gone, and so is the alarm; with no
// status for 5 s there is no device, and nothing of its traffic is left.
TEST(TrafficTableTest, TargetsAgeInThreeSecondsTheDeviceInFive) {
  const struct { double at; bool gone; } targetProbes[] = {{102.9, false}, {103.0, true}, {103.1, true}};
  for (const auto& [at, gone] : targetProbes) {
    TrafficTable table;
    table.TakeStatus({2, 10, 300, 5}, 100);
    table.TakeTarget(Target("A", 300, 2), 100);
    table.TakeTarget(Target("B", 500), 101);
    table.TakeStatus({2, 10, 300, 5}, 100);
    EXPECT_EQ(table.Age(at), gone) << at;
    EXPECT_EQ(Ids(table), gone ? "B " : "A B ") << at;
    EXPECT_EQ(table.Picture().alarm.nLevel, gone ? 0 : 2) << at;
    EXPECT_TRUE(table.Picture().bDevice);
  }
  const struct { double at; bool device; } deviceProbes[] = {{104.9, true}, {105.0, false}, {105.1, false}};
  for (const auto& [at, device] : deviceProbes) {
    TrafficTable table;
    table.TakeStatus({}, 100);
    table.TakeTarget(Target("A", 300), 100);
    for (double t = 101; t < at; ++t) table.TakeTarget(Target("A", 300), t);  // heard, but no status
    table.Age(at);
    EXPECT_EQ(table.Picture().bDevice, device) << at;
    EXPECT_EQ(Ids(table), device ? "A " : "") << at;
    EXPECT_EQ(table.Idle(), !device);
  }
}

TEST(TrafficTableTest, TargetsAreTakenOnlyFromADeviceAndFollowedByTheirId) {
  TrafficTable table;
  EXPECT_FALSE(table.TakeTarget(Target("A", 300), 0)) << "no device has reported yet";
  EXPECT_TRUE(table.TakeStatus({}, 0)) << "a device: Tr 0";
  EXPECT_FALSE(table.TakeStatus({}, 1));
  TrafficTarget named = Target("A", 300);
  named.strName = "FJLKN";
  table.TakeTarget(named, 1);
  table.TakeTarget(Target("A", 250), 2);  // a sentence without the name
  ASSERT_EQ(table.Picture().targets.size(), 1u);
  EXPECT_EQ(table.Picture().targets[0].strName, "FJLKN");
  EXPECT_EQ(table.Picture().targets[0].dNorth, 250.0);
  EXPECT_EQ(table.Picture().targets[0].dHeard, 2.0);
  EXPECT_TRUE(table.TakeStatus({1, {}, {}, {}}, 3));
  EXPECT_FALSE(table.TakeStatus({1, {}, {}, {}}, 4)) << "the same alarm";
}

// At most 50: a new target takes the place of the farthest quiet one when
// it is nearer or alarms, and never of one that alarms.
TEST(TrafficTableTest, AFullTableKeepsTheTargetsThePilotNeeds) {
  TrafficTable table;
  table.TakeStatus({}, 0);
  for (int i = 0; i < 50; ++i) table.TakeTarget(Target("T" + std::to_string(i), 1000 + i * 100, i == 49 ? 1 : 0), 0);
  ASSERT_EQ(table.Picture().targets.size(), TrafficTable::kMaxTargets);
  EXPECT_FALSE(table.TakeTarget(Target("far", 9000), 0));
  EXPECT_TRUE(table.TakeTarget(Target("near", 200), 0));
  const std::string ids = Ids(table);
  EXPECT_EQ(ids.find("T48 "), std::string::npos) << "the farthest quiet one went";
  EXPECT_NE(ids.find("T49 "), std::string::npos) << "the one that alarms stays, however far";
  EXPECT_NE(ids.find("near "), std::string::npos);
  EXPECT_TRUE(table.TakeTarget(Target("threat", 5000, 3), 0));
  EXPECT_EQ(Ids(table).find("T47 "), std::string::npos);
  EXPECT_EQ(table.Picture().targets.size(), TrafficTable::kMaxTargets);
}

}  // namespace
