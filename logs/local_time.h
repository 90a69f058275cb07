// The device's local clock, read once at start-up: it names the log files,
// gives the track its first guess at the UTC date and its time zone.
#pragma once

struct LocalTime {
  int year = 1970;     // e.g. 2026
  int month = 1;       // 1..12
  int day = 1;         // 1..31
  int hour = 0;        // 0..23
  int minute = 0;
  int second = 0;
  int utcOffsetSeconds = 0;   // local time minus UTC, e.g. -25200 in California in summer

  bool operator==(const LocalTime&) const = default;
};

LocalTime CurrentLocalTime();

// `time` with the offset from UTC that the machine's time zone (TZ) has at
// that local time.
LocalTime WithMachineUtcOffset(LocalTime time);

// The UTC calendar date at local time `time`: {year, month, day}.
struct CalendarDate {
  int year = 1970, month = 1, day = 1;
  bool operator==(const CalendarDate&) const = default;
};
CalendarDate UtcDateAt(const LocalTime& time);

// Days in `month` (1..12) of `year`, leap years as the Gregorian calendar
// has them.
int DaysInMonth(int year, int month);
