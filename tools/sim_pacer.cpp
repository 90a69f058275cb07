#include "tools/sim_pacer.h"

#include <algorithm>
#include <cmath>
#include <thread>

long long BarometerWritesPerFix(double speed) {
  // At most a million, for a speed too slow to matter.
  return static_cast<long long>(std::clamp(std::floor(100 / speed), 1.0, 1e6));
}

SimPacer::SimPacer(double speed)
    : m_speed(speed), m_nWrites(BarometerWritesPerFix(speed)), m_secondStart(Clock::now()) {}

SimPacer::Clock::duration SimPacer::WallTime(double flightSeconds) const {
  return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(flightSeconds / m_speed));
}

bool SimPacer::FlySecond(const std::function<void(double t)>& write, const std::function<bool()>& stop) {
  // Each wait is a tick long (at most 1/50 s at the speeds that write once
  // a fix), so a stop is seen promptly.
  for (long long i = 0; i < m_nWrites; ++i) {
    const double t = static_cast<double>(i) / static_cast<double>(m_nWrites);
    std::this_thread::sleep_until(m_secondStart + WallTime(t));
    if (stop()) return false;
    write(t);
  }
  m_secondStart += WallTime(1);
  std::this_thread::sleep_until(m_secondStart);
  return !stop();
}
