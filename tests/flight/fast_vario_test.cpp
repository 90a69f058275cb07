// The fast vario on synthetic barometers: a glide at -1 m/s that turns
// into a +2 m/s climb, sampled at 20 or 50 Hz with 0.1 m RMS of noise, on
// schedule or up to 30 % off it, with or without a gap. Simulated time,
// seeded noise: every run is the same.
#include "flight/fast_vario.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Barometer {
  double rate = 50;           // [Hz]
  double jitter = 0;          // each interval off schedule by up to this fraction
  double noise = 0.10;        // [m RMS]
  double gapFrom = -1, gapTo = -1;  // [s] no samples in between
  unsigned seed = 1;
};

struct Flight {
  double before = -1, after = 2;  // [m/s] vertical speed before and after the step
  double stepAt = 80;             // [s]
  double end = 85;
  double Vario(double t) const { return t < stepAt ? before : after; }
  double Altitude(double t) const {
    return 1000 + before * std::min(t, stepAt) + after * std::max(t - stepAt, 0.0);
  }
};

struct Output {
  double t, vario;
};

std::vector<Output> Fly(const Barometer& baro, const Flight& flight) {
  std::mt19937 random(baro.seed);
  std::normal_distribution<double> noise(0, baro.noise);
  std::uniform_real_distribution<double> jitter(-baro.jitter, baro.jitter);
  FastVario vario;
  std::vector<Output> out;
  for (double t = 0; t < flight.end; t += (1 + jitter(random)) / baro.rate) {
    if (t >= baro.gapFrom && t < baro.gapTo) continue;
    out.push_back({t, vario.Add(t, flight.Altitude(t) + noise(random))});
  }
  return out;
}

// Seconds from `from` until the value first reaches `level` (from below).
double TimeTo(const std::vector<Output>& out, double from, double level) {
  for (const Output& o : out) {
    if (o.t >= from && o.vario >= level) return o.t - from;
  }
  return 1e9;
}

// RMS of the error against the true vertical speed in [from, to).
double Noise(const std::vector<Output>& out, const Flight& flight, double from, double to) {
  double sum = 0;
  int n = 0;
  for (const Output& o : out) {
    if (o.t < from || o.t >= to) continue;
    sum += (o.vario - flight.Vario(o.t)) * (o.vario - flight.Vario(o.t));
    ++n;
  }
  return n ? std::sqrt(sum / n) : 1e9;
}

TEST(FastVarioTest, HearsAStepWithinHalfASecondAndIsQuietInSteadyAir) {
  const double kNone = 1e9;
  const struct {
    const char* name;
    Barometer baro;
    double heard;    // [s] at most, from the step to +0.1 m/s
    double reached;  // [s] at most, to 63 % of the step
    double noise;    // [m/s RMS] at most, in steady flight
  } cases[] = {
      {"50 Hz", {.rate = 50}, 0.4, 0.6, 0.035},
      {"20 Hz", {.rate = 20}, kNone, 0.8, 0.04},
      {"50 Hz, 30 % jitter", {.rate = 50, .jitter = 0.3}, 0.4, 0.6, 0.035},
      {"20 Hz, 30 % jitter", {.rate = 20, .jitter = 0.3}, kNone, 0.8, 0.04},
      {"50 Hz after a 2 s gap", {.rate = 50, .jitter = 0.3, .gapFrom = 5, .gapTo = 7}, 0.4, 0.6, 0.035},
      {"20 Hz after a 2 s gap", {.rate = 20, .jitter = 0.3, .gapFrom = 5, .gapTo = 7}, kNone, 0.8, 0.04},
  };
  const Flight flight;
  const double level63 = flight.before + 0.63 * (flight.after - flight.before);
  for (const auto& c : cases) {
    for (unsigned seed = 1; seed <= 10; ++seed) {
      SCOPED_TRACE(std::string(c.name) + ", seed " + std::to_string(seed));
      Barometer baro = c.baro;
      baro.seed = seed;
      const std::vector<Output> out = Fly(baro, flight);
      EXPECT_LE(TimeTo(out, flight.stepAt, 0.1), c.heard);
      EXPECT_LE(TimeTo(out, flight.stepAt, level63), c.reached);
      EXPECT_LE(Noise(out, flight, 10, flight.stepAt), c.noise);
    }
  }
}

// After a gap the filter starts from 0 m/s: the value moves to the truth
// without overshooting into a spike, also when the gap hid a change of air.
TEST(FastVarioTest, AfterAGapItStartsAfreshWithoutASpike) {
  for (const double after : {2.0, -3.0, 0.0}) {
    for (unsigned seed = 1; seed <= 10; ++seed) {
      SCOPED_TRACE("after " + std::to_string(after) + ", seed " + std::to_string(seed));
      const Flight flight{.before = -1, .after = after, .stepAt = 21, .end = 26};
      const std::vector<Output> out = Fly({.jitter = 0.3, .gapFrom = 20, .gapTo = 22, .seed = seed}, flight);
      double low = 1e9, high = -1e9;
      for (const Output& o : out) {
        if (o.t >= 22) low = std::min(low, o.vario), high = std::max(high, o.vario);
      }
      EXPECT_GE(low, std::min(after, 0.0) * 1.15 - 0.15);
      EXPECT_LE(high, std::max(after, 0.0) * 1.15 + 0.15);
      EXPECT_NEAR(out.back().vario, after, 0.1);
    }
  }
}

// A sample far from any flight's path (a glitch, a sensor reset) is not
// followed as a climb: the filter starts afresh on it, and again on the
// true altitude after it. Samples that are not later than the last one
// change nothing.
TEST(FastVarioTest, AnImpossibleJumpOrATimeThatDoesNotAdvanceMakesNoClimb) {
  FastVario vario;
  double t = 0;
  for (; t < 10; t += 0.02) vario.Add(t, 500);
  double highest = vario.Add(t, 900);
  for (t += 0.02; t < 12; t += 0.02) highest = std::max(highest, vario.Add(t, 500));
  EXPECT_LT(highest, 0.2);

  const double steady = vario.Add(t, 500);
  EXPECT_EQ(vario.Add(t, 600), steady);
  EXPECT_EQ(vario.Add(t - 1, 400), steady);
  EXPECT_EQ(vario.Add(NAN, 500), steady);
}

}  // namespace
