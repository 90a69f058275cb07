// tone-times: the tones in a recording of what the sound server played,
// each with the wall-clock time it started, so that a script can set them
// beside the moments the simulated air changed.
//
//   parec --raw --format=s16le --rate=44100 --channels=1 ... | tone-times
//
// Reads 16-bit mono samples at 44100 Hz from standard input until it ends,
// then prints one line per tone: its start (seconds since the epoch), its
// length (s) and its frequency (Hz). A tone is a run of samples louder than
// a thirtieth of full scale; a pause under 10 ms (a sine's own zeros) does
// not end it.
//
// The clock: every block of samples has been recorded before it arrives,
// so the first sample was recorded no later than (arrival - samples so far
// / rate) for every block; the earliest of these bounds, the block that
// came with the least delay, dates the whole recording.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <limits>
#include <vector>

namespace {

constexpr double kRate = 44100;
constexpr int kLoud = 32767 / 30;
constexpr long long kEndingPause = 441;  // 10 ms

struct Tone {
  long long start = 0, end = 0;  // samples
  long long firstCrossing = -1, lastCrossing = -1;
  int crossings = 0;
};

double Now() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace

int main() {
  std::vector<Tone> tones;
  bool sounding = false;
  long long n = 0, lastLoud = -kEndingPause - 1;
  std::int16_t previous = 0;
  double firstSample = std::numeric_limits<double>::infinity();
  std::vector<std::int16_t> block(4096);
  char carry[1] = {0};
  bool odd = false;
  for (;;) {
    char* bytes = reinterpret_cast<char*>(block.data());
    std::size_t have = 0;
    if (odd) bytes[0] = carry[0], have = 1;
    const ssize_t got = ::read(STDIN_FILENO, bytes + have, block.size() * 2 - have);
    if (got <= 0) break;
    have += static_cast<std::size_t>(got);
    odd = have % 2 != 0;
    if (odd) carry[0] = bytes[have - 1];
    const long long count = static_cast<long long>(have / 2);
    for (long long i = 0; i < count; ++i, ++n) {
      const std::int16_t s = block[static_cast<std::size_t>(i)];
      if (s > kLoud || s < -kLoud) {
        if (!sounding) tones.push_back({n, n}), sounding = true;
        lastLoud = n;
      } else if (sounding && n - lastLoud > kEndingPause) {
        tones.back().end = lastLoud + 1;
        sounding = false;
      }
      if (sounding && previous < 0 && s >= 0) {
        Tone& tone = tones.back();
        if (tone.crossings++ == 0) tone.firstCrossing = n;
        tone.lastCrossing = n;
      }
      previous = s;
    }
    firstSample = std::min(firstSample, Now() - static_cast<double>(n) / kRate);
  }
  if (sounding) tones.back().end = lastLoud + 1;
  for (const Tone& tone : tones) {
    const double hz = tone.crossings > 1 ? (tone.crossings - 1) * kRate /
                                               static_cast<double>(tone.lastCrossing - tone.firstCrossing)
                                         : 0;
    std::printf("%.3f %.3f %.0f\n", firstSample + static_cast<double>(tone.start) / kRate,
                static_cast<double>(tone.end - tone.start) / kRate, hz);
  }
  return 0;
}
