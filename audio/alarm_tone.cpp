#include "audio/alarm_tone.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "audio/vario_tone_table.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kHigh = 2100, kLow = 1700;   // [Hz] above the vario's 1500
constexpr double kFadeSeconds = vario_tone::kFadeSeconds;   // into and out of pauses: no clicks
constexpr double kAmplitude = 0.6;            // of full scale: above the vario's 0.5

// A pair a second at level 1, two a second at level 2, a warble at level 3.
constexpr std::array<ToneStep, 3> kLevel1 = {{{kHigh, 150}, {kLow, 150}, {0, 700}}};
constexpr std::array<ToneStep, 3> kLevel2 = {{{kHigh, 120}, {kLow, 120}, {0, 260}}};
constexpr std::array<ToneStep, 2> kLevel3 = {{{kHigh, 100}, {kLow, 100}}};
constexpr std::array<TonePattern, 3> kTrafficAlarm = {{{kLevel1, true}, {kLevel2, true}, {kLevel3, true}}};

// Between the vario's highest sink tone (410 Hz, where it stops) and its
// lowest climb beep (520 Hz), and below the traffic alarm by two octaves:
// three beeps shorter and closer together than the vario's at any climb.
constexpr double kAirspaceHz = 440;
constexpr std::array<ToneStep, 6> kAirspaceBeeps = {
    {{kAirspaceHz, 150}, {0, 100}, {kAirspaceHz, 150}, {0, 100}, {kAirspaceHz, 150}, {0, 100}}};
constexpr TonePattern kAirspaceWarning{kAirspaceBeeps, false};

}  // namespace

const TonePattern* TrafficAlarmPattern(int level) {
  return level >= 1 && level <= 3 ? &kTrafficAlarm[static_cast<std::size_t>(level - 1)] : nullptr;
}

const TonePattern* AirspaceWarningPattern() { return &kAirspaceWarning; }

AlarmTone::AlarmTone(int sampleRate) : m_nRate(sampleRate) {}

void AlarmTone::Play(const TonePattern* pattern) {
  if (pattern != m_pattern) PlayFromStart(pattern);
}

void AlarmTone::PlayFromStart(const TonePattern* pattern) {
  m_pattern = pattern;
  m_nStep = 0;
  if (m_pattern) m_nLeft = static_cast<std::size_t>(m_pattern->steps[0].ms / 1000 * m_nRate);
}

void AlarmTone::Step() {
  if (++m_nStep == m_pattern->steps.size()) {
    if (!m_pattern->repeats) {
      m_pattern = nullptr;  // a one-shot has played: it fades out
      return;
    }
    m_nStep = 0;
  }
  m_nLeft = static_cast<std::size_t>(m_pattern->steps[m_nStep].ms / 1000 * m_nRate);
}

void AlarmTone::Render(std::int16_t* samples, std::size_t count) {
  const double fadeStep = 1.0 / (kFadeSeconds * m_nRate);
  const std::size_t fadeSamples = static_cast<std::size_t>(kFadeSeconds * m_nRate);
  for (std::size_t i = 0; i < count; ++i) {
    while (m_pattern && m_nLeft == 0) Step();
    bool sounding = false;
    if (m_pattern) {
      const ToneStep& step = m_pattern->steps[m_nStep];
      if (step.hz > 0) m_frequency = step.hz;
      // A tone before a pause (or the end) fades out within its own time.
      const ToneStep& next = m_pattern->steps[(m_nStep + 1) % m_pattern->steps.size()];
      const bool endsInSilence = next.hz == 0 || (!m_pattern->repeats && m_nStep + 1 == m_pattern->steps.size());
      sounding = step.hz > 0 && !(endsInSilence && m_nLeft <= fadeSamples);
      --m_nLeft;
    }
    m_gain = sounding ? std::min(1.0, m_gain + fadeStep) : std::max(0.0, m_gain - fadeStep);
    m_phase += kTwoPi * m_frequency / m_nRate;
    if (m_phase >= kTwoPi) m_phase -= kTwoPi;
    samples[i] = static_cast<std::int16_t>(std::lround(32767 * kAmplitude * m_gain * std::sin(m_phase)));
  }
}
