// GPS times are UTC hhmmss and wrap at midnight, which in Australia falls
// in the middle of a flying day. Anything that measures time spans between
// fixes works on a time line that keeps increasing across midnight.
#pragma once

// Seconds since midnight of a time read as the number hhmmss.
int SecondsOfDay(double hhmmss);

// Seconds from one UTC time of day to a later one: a span that would reach
// back more than half a day crossed midnight, so 23:59:00 to 00:01:00 is
// 120 s, while a small step back stays a step back. A span forward is taken
// as it is, however long.
int SecondsSince(int earlierSecondsOfDay, int secondsOfDay);

// Elapsed seconds since a base time of day, unwrapped across midnight: each
// new time is taken on the day that puts it nearest (within 12 hours) to the
// time given before, so 235959 followed by 000001 is 2 seconds later, while
// a small step back stays a step back.
class ElapsedClock {
 public:
  int Elapsed(int baseSecondsOfDay, int secondsOfDay);

 private:
  int m_nDayOffset = 0;     // whole days added so far [s]
  int m_nLastElapsed = 0;   // the base itself is elapsed 0
};
