// The alarm sounds measured from their samples, beside the vario's tone.
#include "audio/alarm_tone.h"

#include <unistd.h>

#include <array>
#include <cmath>

#include <gtest/gtest.h>

#include "audio/audio_vario.h"
#include "audio/speaker.h"
#include "base/settings_values.h"
#include "base/traffic.h"
#include "tests/audio/tone_samples.h"

namespace {

std::size_t Samples(double ms) { return static_cast<std::size_t>(ms / 1000 * kRate); }

// Each level: pairs of a high and a low beep, faster with each level, until
// level 3 warbles without a pause; every pitch above the vario's 1500 Hz.
TEST(AlarmToneTest, EachTrafficLevelHasAPatternOfItsOwn) {
  const struct { int level; double beepMs, periodMs; } levels[] = {{1, 300, 1000}, {2, 240, 500}};
  for (const auto& [level, beepMs, periodMs] : levels) {
    SCOPED_TRACE(level);
    AlarmTone tone(kRate);
    tone.Play(TrafficAlarmPattern(level));
    const std::vector<std::int16_t> s = Render(tone, 2.5);
    const auto beeps = Beeps(s);
    ASSERT_GE(beeps.size(), 3u);
    EXPECT_NEAR(double(beeps[1].first - beeps[0].first), Samples(periodMs), Samples(1));
    EXPECT_NEAR(double(beeps[1].second), Samples(beepMs), Samples(6)) << "one beep high, then low, without a gap";
    EXPECT_NEAR(Frequency(s, beeps[1].first + Samples(10), Samples(beepMs / 2 - 20)), 2100, 21);
    EXPECT_NEAR(Frequency(s, beeps[1].first + Samples(beepMs / 2 + 10), Samples(beepMs / 2 - 20)), 1700, 17);
  }
  AlarmTone warble(kRate);
  warble.Play(TrafficAlarmPattern(3));
  const std::vector<std::int16_t> s = Render(warble, 1.0);
  EXPECT_EQ(Beeps(s).size(), 1u) << "no pause";
  for (std::size_t at = 0; at + Samples(200) < s.size(); at += Samples(200)) {
    EXPECT_NEAR(Frequency(s, at + Samples(10), Samples(80)), 2100, 21) << at;
    EXPECT_NEAR(Frequency(s, at + Samples(110), Samples(80)), 1700, 17) << at;
  }
  EXPECT_EQ(TrafficAlarmPattern(0), nullptr);
  EXPECT_EQ(TrafficAlarmPattern(4), nullptr);
}

// A new level is heard at once, from its pattern's start, and no change of
// pitch or level clicks.
TEST(AlarmToneTest, ANewLevelStartsAtOnceWithoutAClick) {
  AlarmTone tone(kRate);
  std::vector<std::int16_t> s;
  for (const int level : {1, 3, 2, 0, 1}) {
    tone.Play(TrafficAlarmPattern(level));
    const std::vector<std::int16_t> part = Render(tone, 0.37);
    if (level == 2) {
      EXPECT_NEAR(Frequency(part, Samples(10), Samples(100)), 2100, 21) << "from its start";
    }
    s.insert(s.end(), part.begin(), part.end());
  }
  const double limit = 32767 * 0.6 * 2 * M_PI * 2100 / kRate * 1.05;
  for (std::size_t i = 1; i < s.size(); ++i) ASSERT_LE(std::abs(s[i] - s[i - 1]), limit) << "at sample " << i;
  tone.Play(nullptr);
  Render(tone, 0.01);
  EXPECT_TRUE(tone.Quiet());
}

// The alarm takes the speaker from a climbing vario and gives it back; a
// one-shot pattern gives it back by itself once it has played.
TEST(AlarmToneTest, TheAlarmTakesTheSpeakerFromTheVarioAndGivesItBack) {
  Speaker speaker(kRate);
  speaker.Vario().SetVario(2.0);  // 900 Hz beeps, 420 ms apart
  Render(speaker, 1.0);
  speaker.Alarm().Play(TrafficAlarmPattern(3));
  std::vector<std::int16_t> s = Render(speaker, 1.0);
  for (std::size_t at = Samples(20); at + Samples(200) < s.size(); at += Samples(100)) {
    EXPECT_GT(Frequency(s, at, Samples(80)), 1600) << "only the alarm is heard, at " << at;
  }
  speaker.Alarm().Play(nullptr);
  s = Render(speaker, 1.5);
  const auto beeps = Beeps(std::vector<std::int16_t>(s.begin() + Samples(20), s.end()));
  ASSERT_GE(beeps.size(), 2u);
  EXPECT_NEAR(Frequency(s, Samples(20) + beeps[1].first, Samples(100)), 900, 9) << "the vario again";

  static constexpr std::array<ToneStep, 2> kTwoBeeps = {{{1800, 80}, {0, 80}}};
  static constexpr TonePattern kOnce{kTwoBeeps, false};
  speaker.Vario().SetVario(0);  // silent
  Render(speaker, 1.0);
  ASSERT_TRUE(speaker.Quiet());
  speaker.Alarm().Play(&kOnce);
  s = Render(speaker, 0.5);
  EXPECT_EQ(Beeps(s).size(), 1u);
  EXPECT_FALSE(speaker.Alarm().Playing());
  EXPECT_TRUE(speaker.Quiet());
}

// The audio thread on ALSA's "null" device: a published alarm level is
// played at once, without a barometer, and its end stops the writes.
TEST(AlarmToneTest, TheAudioThreadSoundsAnAlarmWithoutABarometer) {
  g_bSound = 1;
  AudioVario audio("null", [](const std::string&) {});
  audio.Start();
  usleep(300000);
  EXPECT_EQ(audio.FramesWritten(), 0) << "no barometer, no alarm: silence";
  TrafficPicture alarm;
  alarm.bDevice = true;
  alarm.alarm.nLevel = 2;
  PublishTraffic(alarm);
  usleep(300000);
  EXPECT_GT(audio.FramesWritten(), AudioVario::kSampleRate / 10);
  PublishTraffic(TrafficPicture{});
  usleep(800000);  // the fade and the buffer play out
  const long long ended = audio.FramesWritten();
  usleep(300000);
  EXPECT_EQ(audio.FramesWritten(), ended);
  audio.Stop();
  g_bSound = 0;
}

}  // namespace
