#include "base/time_of_day.h"

namespace {
constexpr int kDay = 24 * 3600;
constexpr int kHalfDay = kDay / 2;
}  // namespace

int SecondsOfDay(double hhmmss) {
  // A six-character time text such as "999e99" reads as a huge number;
  // nothing that large is a time of day.
  if (!(hhmmss > -1e6 && hhmmss < 1e6)) return 0;
  const int t = static_cast<int>(hhmmss);
  return t / 10000 * 3600 + t / 100 % 100 * 60 + t % 100;
}

int SecondsSince(int earlierSecondsOfDay, int secondsOfDay) {
  const int span = secondsOfDay - earlierSecondsOfDay;
  return span < -kHalfDay ? span + kDay : span;
}

int ElapsedClock::Elapsed(int baseSecondsOfDay, int secondsOfDay) {
  int elapsed = secondsOfDay - baseSecondsOfDay + m_nDayOffset;
  if (elapsed - m_nLastElapsed > kHalfDay) {
    m_nDayOffset -= kDay;
    elapsed -= kDay;
  } else if (m_nLastElapsed - elapsed > kHalfDay) {
    m_nDayOffset += kDay;
    elapsed += kDay;
  }
  m_nLastElapsed = elapsed;
  return elapsed;
}
