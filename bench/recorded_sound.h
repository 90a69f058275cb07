// A sound server's recording on standard input, as parec writes it
// (16-bit mono samples at kRecordedRate), dated on the wall clock, for the
// programs that set what the instrument played beside what it was fed.
//
// The clock: every block of samples has been recorded before it arrives,
// so the first sample was recorded no later than (arrival - samples so far
// / rate) for every block; the earliest of these bounds, the block that
// came with the least delay, dates the whole recording.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include "bench/epoch_seconds.h"

inline constexpr double kRecordedRate = 44100;

// Hands each sample to `take` with its index, until standard input ends;
// returns when the first sample was recorded [s since the epoch].
inline double ReadRecordedSound(const std::function<void(std::int16_t sample, long long index)>& take) {
  double firstSample = std::numeric_limits<double>::infinity();
  std::vector<std::int16_t> block(4096);
  char carry = 0;
  bool odd = false;
  long long n = 0;
  for (;;) {
    char* bytes = reinterpret_cast<char*>(block.data());
    std::size_t have = 0;
    if (odd) bytes[0] = carry, have = 1;
    const ssize_t got = ::read(STDIN_FILENO, bytes + have, block.size() * 2 - have);
    if (got <= 0) break;
    have += static_cast<std::size_t>(got);
    odd = have % 2 != 0;
    if (odd) carry = bytes[have - 1];
    for (std::size_t i = 0; i < have / 2; ++i, ++n) take(block[i], n);
    firstSample = std::min(firstSample, EpochSeconds() - static_cast<double>(n) / kRecordedRate);
  }
  return firstSample;
}
