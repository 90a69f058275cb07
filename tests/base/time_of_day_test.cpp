#include "base/time_of_day.h"

#include <gtest/gtest.h>

namespace {

TEST(TimeOfDay, SecondsSinceMidnightFromHhmmss) {
  EXPECT_EQ(SecondsOfDay(123519), 12 * 3600 + 35 * 60 + 19);
  EXPECT_EQ(SecondsOfDay(235959), 86399);
  EXPECT_EQ(SecondsOfDay(999e99), 0);  // a garbage time text, not a crash
}

// Each new time is taken on the day that puts it nearest to the one before.
TEST(TimeOfDay, ElapsedTimeKeepsIncreasingAcrossUtcMidnightWhileStepsBackStayBack) {
  ElapsedClock flight, repeating, stale;  // flight: Australian, fixes every 5 s
  const int late = SecondsOfDay(235950);
  EXPECT_EQ(flight.Elapsed(late, SecondsOfDay(235950)), 0);
  EXPECT_EQ(flight.Elapsed(late, SecondsOfDay(0)), 10);
  EXPECT_EQ(flight.Elapsed(late, SecondsOfDay(5)), 15);
  EXPECT_EQ(flight.Elapsed(late, SecondsOfDay(120000)), 12 * 3600 + 10);
  EXPECT_EQ(repeating.Elapsed(SecondsOfDay(100000), SecondsOfDay(100010)), 10);
  EXPECT_EQ(repeating.Elapsed(SecondsOfDay(100000), SecondsOfDay(95959)), -1);  // not a new day
  EXPECT_EQ(stale.Elapsed(late, SecondsOfDay(10)), 20);
  EXPECT_EQ(stale.Elapsed(late, SecondsOfDay(235959)), 9);  // after the wrap: the old day
}

}  // namespace
