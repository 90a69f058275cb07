// Tones measured from their samples, as a pilot's ear would judge them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

inline constexpr int kRate = 44100;

template <typename Tone>
inline std::vector<std::int16_t> Render(Tone& tone, double seconds) {
  std::vector<std::int16_t> samples(static_cast<std::size_t>(seconds * kRate));
  // In pieces, as the output thread asks for them: the phase runs on.
  for (std::size_t at = 0; at < samples.size(); at += 441) {
    tone.Render(samples.data() + at, std::min<std::size_t>(441, samples.size() - at));
  }
  return samples;
}

// Sounding runs as (start, length) in samples: gaps under 2 ms are a sine's own zeros.
inline std::vector<std::pair<std::size_t, std::size_t>> Beeps(const std::vector<std::int16_t>& s) {
  std::vector<std::pair<std::size_t, std::size_t>> beeps;
  std::size_t quiet = kRate;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (std::abs(s[i]) > 200) {
      if (quiet > kRate / 500) beeps.push_back({i, 0});
      beeps.back().second = i - beeps.back().first + 1;
      quiet = 0;
    } else {
      ++quiet;
    }
  }
  return beeps;
}

// The frequency from the upward zero crossings of a sounding stretch.
inline double Frequency(const std::vector<std::int16_t>& s, std::size_t from, std::size_t length) {
  int crossings = 0;
  std::size_t first = 0, last = 0;
  for (std::size_t i = from + 1; i < from + length; ++i) {
    if (s[i - 1] < 0 && s[i] >= 0) {
      if (crossings++ == 0) first = i;
      last = i;
    }
  }
  return crossings > 1 ? (crossings - 1) * double(kRate) / double(last - first) : 0;
}

