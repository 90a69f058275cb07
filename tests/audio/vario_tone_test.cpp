// The tone measured from its samples, as a pilot's ear would judge it (tests/audio/tone_samples.h).
#include "audio/vario_tone.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "audio/audio_vario.h"
#include "base/flight_values.h"
#include "base/settings_values.h"
#include "tests/audio/tone_samples.h"

namespace {

TEST(VarioToneTest, ClimbBeepsRiseInPitchAndRateSinkIsOneLowTone) {
  const struct { double vario; double hz, periodMs; } cases[] = {
      {0.5, 600, 555}, {2.0, 900, 420}, {4.0, 1300, 240}, {6.0, 1500, 150},  // pitch and period capped
      {-2.0, 380, 0}, {-4.0, 260, 0}, {-8.0, 200, 0}};                        // sink: continuous
  for (const auto& c : cases) {
    SCOPED_TRACE(c.vario);
    VarioTone tone(kRate);
    tone.SetVario(c.vario);
    const std::vector<std::int16_t> s = Render(tone, 2.0);
    const auto beeps = Beeps(s);
    ASSERT_GE(beeps.size(), 1u);
    EXPECT_NEAR(Frequency(s, beeps[0].first, beeps[0].second), c.hz, c.hz * 0.01);
    if (c.periodMs == 0) {
      EXPECT_EQ(beeps.size(), 1u);
      continue;
    }
    ASSERT_GE(beeps.size(), 3u);
    const double period = double(beeps[2].first - beeps[1].first) * 1000 / kRate;
    EXPECT_NEAR(period, c.periodMs, 1);
    EXPECT_NEAR(double(beeps[1].second) * 1000 / kRate / period, 2.0 / 3, 0.02) << "duty";
  }
}

TEST(VarioToneTest, SilentBandWithHysteresisAtBothEdges) {
  const struct { std::optional<double> vario; bool heard; } steps[] = {
      {0.05, false}, {0.1, true},  {0.06, true}, {0.04, false}, {-1.9, false}, {-2.0, true},
      {-1.6, true},  {-1.4, false}, {1.0, true}, {-3.0, true},  {NAN, false},
      {1.0, true},   {std::nullopt, false}};  // no number, and a stale value: silence
  VarioTone tone(kRate);
  for (const auto& step : steps) {
    tone.SetVario(step.vario);
    Render(tone, 0.7);  // a beep that has begun finishes
    EXPECT_EQ(!Beeps(Render(tone, 1.0)).empty(), step.heard) << step.vario.value_or(-99);
  }
}

TEST(VarioToneTest, NoClicksAtBeepEdgesOrWhenTheValueChanges) {
  VarioTone tone(kRate);
  std::vector<std::int16_t> s;
  for (const double vario : {1.0, 5.0, -3.0, 0.5, 3.0, -0.5}) {
    tone.SetVario(vario);
    const std::vector<std::int16_t> part = Render(tone, 1.0);
    s.insert(s.end(), part.begin(), part.end());
  }
  // A full-scale-half sine at the top pitch moves at most this much a sample.
  const double limit = 32767 * 0.5 * 2 * M_PI * 1500 / kRate * 1.05;
  for (std::size_t i = 1; i < s.size(); ++i) {
    ASSERT_LE(std::abs(s[i] - s[i - 1]), limit) << "at sample " << i;
  }
}

// Fifty values a second need no glide between them: a new pitch is heard
// within hundredths of a second.
TEST(VarioToneTest, ThePitchFollowsANewValueAtOnce) {
  VarioTone tone(kRate);
  tone.SetVario(-3.0);  // 320 Hz
  Render(tone, 1.0);
  tone.SetVario(-6.5);  // 200 Hz
  const std::vector<std::int16_t> s = Render(tone, 0.2);
  EXPECT_NEAR(Frequency(s, kRate / 20, kRate / 20), 200, 3);
}

// The audio vario's thread on ALSA's "null" device, fed as the barometer
// feeds it: fifty values a second.
class AudioVarioTest : public ::testing::Test {
 protected:
  void SetUp() override { g_bSound = 1; }
  void TearDown() override {
    Feed(std::nullopt);
    g_bSound = 0;
  }
  // Publishes `vario` fifty times a second from now on; nullopt stops.
  void Feed(std::optional<double> vario) {
    if (feeder.joinable()) stop = true, feeder.join();
    stop = false;
    if (!vario) return;
    feeder = std::thread([this, value = *vario] {
      while (!stop) PublishFastVario(value), usleep(20000);
    });
  }
  static void Wait(double seconds) { usleep(static_cast<useconds_t>(seconds * 1e6)); }

  std::vector<std::string> reports;
  AudioVario::Report report = [this](const std::string& m) { reports.push_back(m); };
  std::thread feeder;
  std::atomic<bool> stop{false};
};

// Silence writes nothing; a climb is played, paced by the clock on a
// device that takes whatever it is given; when the climb is over the
// writes stop once its last beep has played out.
TEST_F(AudioVarioTest, WritesOnlyWhileTheToneSoundsAndNeverRunsAheadOfTheClock) {
  AudioVario audio("null", report);
  audio.Start();
  Feed(0.04);  // level flight: below the climb tone
  Wait(0.5);
  EXPECT_EQ(audio.FramesWritten(), 0);

  Feed(2.0);
  const auto start = std::chrono::steady_clock::now();
  Wait(1.5);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double written = static_cast<double>(audio.FramesWritten()) / AudioVario::kSampleRate;
  EXPECT_GE(written, seconds - 0.2);
  EXPECT_LE(written, seconds + 1.2) << "a second's start, then paced by the clock";

  Feed(std::nullopt);  // the barometer stops: an old value is not played on
  Wait(1.2);  // it goes stale, the last beep and the buffer play out
  const long long quiet = audio.FramesWritten();
  Wait(0.5);
  EXPECT_EQ(audio.FramesWritten(), quiet);
  EXPECT_TRUE(reports.empty());
}

TEST_F(AudioVarioTest, AMissingDeviceOrBarometerIsToldOnceAndHoldsNothingUp) {
  AudioVario absent("hw:99,0", report);
  absent.Start();
  Feed(2.0);
  Wait(0.1);
  Feed(std::nullopt);
  Wait(2.5);  // no values: no barometer
  const auto start = std::chrono::steady_clock::now();
  absent.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].rfind("audio vario: no sound from 'hw:99,0'", 0), 0u) << reports[0];
  EXPECT_EQ(reports[1], "audio vario: no vertical speed from the barometer, so no tone");
}

}  // namespace
