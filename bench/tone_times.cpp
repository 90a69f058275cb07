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
// not end it. The recording is dated as bench/recorded_sound.h says.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "bench/recorded_sound.h"

namespace {

constexpr double kRate = kRecordedRate;
constexpr int kLoud = 32767 / 30;
constexpr long long kEndingPause = 441;  // 10 ms

struct Tone {
  long long start = 0, end = 0;  // samples
  long long firstCrossing = -1, lastCrossing = -1;
  int crossings = 0;
};

}  // namespace

int main() {
  std::vector<Tone> tones;
  bool sounding = false;
  long long lastLoud = -kEndingPause - 1;
  std::int16_t previous = 0;
  const double firstSample = ReadRecordedSound([&](std::int16_t s, long long n) {
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
  });
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
