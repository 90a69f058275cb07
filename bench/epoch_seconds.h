// The wall clock in seconds since the epoch, for the programs that set
// what the instrument showed beside what it was fed, each on its own side.
#pragma once

#include <ctime>

inline double EpochSeconds() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
