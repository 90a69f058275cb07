// The alarm sounds measured from their samples, beside the vario's tone.
#include "audio/alarm_tone.h"

#include <unistd.h>

#include <array>
#include <cmath>

#include <gtest/gtest.h>

#include "audio/alarm_choice.h"
#include "audio/audio_vario.h"
#include "audio/speaker.h"
#include "audio/vario_tone_table.h"
#include "base/airspace_beeps.h"
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

// The airspace warning: three short beeps at one low pitch, 100 ms apart,
// then nothing: a pitch the vario never beeps at (its lowest climb beep)
// nor holds its sink tone at (its highest), far below the traffic alarm.
TEST(AlarmToneTest, TheAirspaceWarningIsThreeShortLowBeepsOnce) {
  AlarmTone tone(kRate);
  tone.Play(AirspaceWarningPattern());
  const std::vector<std::int16_t> s = Render(tone, 1.5);
  const auto beeps = Beeps(s);
  ASSERT_EQ(beeps.size(), 3u);
  for (std::size_t i = 0; i < beeps.size(); ++i) {
    EXPECT_NEAR(double(beeps[i].second), Samples(150), Samples(6)) << i;
    if (i > 0) {
      EXPECT_NEAR(double(beeps[i].first - beeps[i - 1].first), Samples(250), Samples(1)) << i;
    }
    const double hz = Frequency(s, beeps[i].first + Samples(10), Samples(120));
    EXPECT_NEAR(hz, 440, 5) << i;
    EXPECT_LT(hz, vario_tone::kBaseHz + vario_tone::kClimbHzPerMs * vario_tone::kClimbOn);
    EXPECT_GT(hz, vario_tone::kBaseHz + vario_tone::kSinkHzPerMs * vario_tone::kSinkOff);
  }
  EXPECT_FALSE(tone.Playing());
  EXPECT_TRUE(tone.Quiet());
}

// Traffic first: a traffic alarm takes the speaker from the airspace beeps
// and keeps it; beeps asked for while it sounds are passed by; each new
// request starts the beeps anew; with "Sound" off nothing is kept for later.
TEST(AlarmToneTest, TheTrafficAlarmKeepsTheSpeakerBeforeTheAirspaceBeeps) {
  AlarmTone tone(kRate);
  AlarmChoice choice(7);   // seven requests before: not heard
  const TonePattern* beeps = AirspaceWarningPattern();
  const struct { int level; unsigned long requests; const TonePattern* playing; bool started; } steps[] = {
      {0, 7, nullptr, false},
      {0, 8, beeps, true},  {0, 8, beeps, false},                        // one request, one set
      {2, 8, TrafficAlarmPattern(2), true}, {2, 9, TrafficAlarmPattern(2), false},
      {3, 9, TrafficAlarmPattern(3), true},
      {0, 9, nullptr, false},                                            // the request during it: passed by
      {0, 10, beeps, true}, {0, 11, beeps, true},                        // anew from the start
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(::testing::Message() << step.level << " " << step.requests);
    EXPECT_EQ(choice.Follow(tone, step.level, step.requests), step.started);
    EXPECT_EQ(tone.Pattern(), step.playing);
  }
  choice.Silence(tone, 12);
  EXPECT_EQ(tone.Pattern(), nullptr);
  EXPECT_FALSE(choice.Follow(tone, 0, 12));
  EXPECT_EQ(tone.Pattern(), nullptr);
}

// The audio thread on ALSA's "null" device: a published alarm level is
// played at once, without a barometer, and its end stops the writes; so
// are the airspace warning's beeps.
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
  long long ended = audio.FramesWritten();
  usleep(300000);
  EXPECT_EQ(audio.FramesWritten(), ended);
  // The airspace warning's beeps, once for a request.
  RequestAirspaceBeeps();
  usleep(300000);
  EXPECT_GT(audio.FramesWritten(), ended + AudioVario::kSampleRate / 10);
  usleep(1200000);  // three beeps, and the buffer played out
  ended = audio.FramesWritten();
  usleep(300000);
  EXPECT_EQ(audio.FramesWritten(), ended);
  audio.Stop();
  g_bSound = 0;
}

}  // namespace
