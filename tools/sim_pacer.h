// The pace of `flight-sim run`: each second of flight lasts 1/speed
// seconds on the steady clock, and within it the barometer is written
// about 100 times a wall-clock second, as the instrument's fast vario
// samples a real one.
#pragma once

#include <chrono>
#include <functional>

// How many barometer writes one second of flight gets at `speed` seconds
// of flight a second: about 100 a wall-clock second, at least one.
long long BarometerWritesPerFix(double speed);

class SimPacer {
 public:
  // The first second starts now.
  explicit SimPacer(double speed);

  // The second after the fix just sent: calls `write(t)` for the flight
  // times t = i/n (i = 0..n-1, n = BarometerWritesPerFix) at i/n of the
  // second's wall-clock time, then waits for the second's end, when the
  // next fix is due. A writer behind the clock (the instrument was slow
  // to read) catches up at once. False when `stop` said so on the way.
  bool FlySecond(const std::function<void(double t)>& write, const std::function<bool()>& stop);

 private:
  using Clock = std::chrono::steady_clock;
  Clock::duration WallTime(double flightSeconds) const;

  double m_speed;
  long long m_nWrites;
  Clock::time_point m_secondStart;
};
