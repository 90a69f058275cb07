#include "base/time_of_day.h"

#include <gtest/gtest.h>

namespace {

TEST(TimeOfDay, SecondsSinceMidnightFromHhmmss) {
  EXPECT_EQ(SecondsOfDay(123519), 12 * 3600 + 35 * 60 + 19);
  EXPECT_EQ(SecondsOfDay(235959), 86399);
  EXPECT_EQ(SecondsOfDay(999e99), 0);  // a garbage time text, not a crash
}

TEST(TimeOfDay, ElapsedTimeKeepsIncreasingAcrossUtcMidnight) {
  // An Australian flight: time base 23:59:50 UTC, fixes every 5 s.
  ElapsedClock clock;
  const int base = SecondsOfDay(235950);
  EXPECT_EQ(clock.Elapsed(base, SecondsOfDay(235950)), 0);
  EXPECT_EQ(clock.Elapsed(base, SecondsOfDay(0)), 10);
  EXPECT_EQ(clock.Elapsed(base, SecondsOfDay(5)), 15);
  EXPECT_EQ(clock.Elapsed(base, SecondsOfDay(120000)), 12 * 3600 + 10);
}

TEST(TimeOfDay, SmallStepsBackStayBack) {
  // A receiver repeating an older time is not a new day.
  ElapsedClock clock;
  const int base = SecondsOfDay(100000);
  EXPECT_EQ(clock.Elapsed(base, SecondsOfDay(100010)), 10);
  EXPECT_EQ(clock.Elapsed(base, SecondsOfDay(95959)), -1);
  // ...and a stale time from before midnight after the wrap is the old day.
  ElapsedClock night;
  const int late = SecondsOfDay(235900);
  EXPECT_EQ(night.Elapsed(late, SecondsOfDay(10)), 70);
  EXPECT_EQ(night.Elapsed(late, SecondsOfDay(235959)), 59);
}

TEST(TimeOfDay, SpanSinceAnEarlierTimeOfDay) {
  EXPECT_EQ(SecondsSince(SecondsOfDay(235900), SecondsOfDay(100)), 120);  // over midnight
  EXPECT_EQ(SecondsSince(SecondsOfDay(120000), SecondsOfDay(121000)), 600);
  EXPECT_EQ(SecondsSince(SecondsOfDay(120010), SecondsOfDay(120000)), -10);  // step back
  EXPECT_EQ(SecondsSince(0, SecondsOfDay(140000)), 14 * 3600);  // forward, however long
}

}  // namespace
