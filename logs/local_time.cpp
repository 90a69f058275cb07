#include "logs/local_time.h"

#include <ctime>

namespace {

std::tm ToTm(const LocalTime& time) {
  std::tm tm{};
  tm.tm_year = time.year - 1900;
  tm.tm_mon = time.month - 1;
  tm.tm_mday = time.day;
  tm.tm_hour = time.hour;
  tm.tm_min = time.minute;
  tm.tm_sec = time.second;
  tm.tm_isdst = -1;
  return tm;
}

}  // namespace

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

LocalTime CurrentLocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                   tm.tm_min,         tm.tm_sec,     static_cast<int>(tm.tm_gmtoff)};
}

LocalTime WithMachineUtcOffset(LocalTime time) {
  std::tm tm = ToTm(time);
  if (std::mktime(&tm) != static_cast<std::time_t>(-1)) {
    time.utcOffsetSeconds = static_cast<int>(tm.tm_gmtoff);
  }
  return time;
}

CalendarDate UtcDateAt(const LocalTime& time) {
  // The local wall-clock reading taken as if it were UTC, less the offset.
  std::tm tm = ToTm(time);
  tm.tm_isdst = 0;
  const std::time_t utc = timegm(&tm) - time.utcOffsetSeconds;
  std::tm date{};
  gmtime_r(&utc, &date);
  return {date.tm_year + 1900, date.tm_mon + 1, date.tm_mday};
}
