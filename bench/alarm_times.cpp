// alarm-times: the traffic alarm's sounds in a recording of what the sound
// server played, told apart from the vario's by their pitch, each with the
// wall-clock time it started, for scripts/bench-traffic-alarm.sh.
//
//   parec --raw --format=s16le --rate=44100 --channels=1 ... | alarm-times
//
// Reads 16-bit mono samples at 44100 Hz from standard input until it ends,
// in windows of 10 ms. A window is the alarm's when it is loud (a sample
// beyond a thirtieth of full scale) and its pitch, from its upward zero
// crossings, is above 1600 Hz: the alarm's high and low beeps are 2100 and
// 1700 Hz, the vario never goes above 1500 Hz. Alarm windows less than
// 0.4 s apart (the pause between the pairs of beeps of level 2, 0.26 s)
// belong to one alarm. Prints one line per alarm: its start and its end
// (seconds since the epoch). The recording is dated as
// bench/recorded_sound.h says.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/recorded_sound.h"

namespace {

constexpr long long kWindow = 441;             // 10 ms
constexpr int kLoud = 32767 / 30;
constexpr int kAlarmCrossings = 16;            // in 10 ms: 1600 Hz
constexpr long long kJoin = 40;                // windows: 0.4 s

}  // namespace

int main() {
  std::vector<std::pair<long long, long long>> alarms;  // windows, first and last
  int crossings = 0, peak = 0;
  std::int16_t previous = 0;
  const double firstSample = ReadRecordedSound([&](std::int16_t s, long long n) {
    if (previous < 0 && s >= 0) ++crossings;
    peak = std::max(peak, std::abs(static_cast<int>(s)));
    previous = s;
    if ((n + 1) % kWindow != 0) return;
    const long long window = n / kWindow;
    if (peak > kLoud && crossings >= kAlarmCrossings) {
      if (alarms.empty() || window - alarms.back().second > kJoin) alarms.push_back({window, window});
      alarms.back().second = window;
    }
    crossings = 0, peak = 0;
  });
  const double seconds = static_cast<double>(kWindow) / kRecordedRate;
  for (const auto& [first, last] : alarms) {
    std::printf("%.3f %.3f\n", firstSample + static_cast<double>(first) * seconds,
                firstSample + static_cast<double>(last + 1) * seconds);
  }
  return 0;
}
