// The device's local clock, read once at start-up: it names the log files
// and dates the track.
#pragma once

struct LocalTime {
  int year = 1970;     // e.g. 2026
  int month = 1;       // 1..12
  int day = 1;         // 1..31
  int hour = 0;        // 0..23
  int minute = 0;
  int second = 0;

  bool operator==(const LocalTime&) const = default;
};

LocalTime CurrentLocalTime();
