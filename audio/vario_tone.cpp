#include "audio/vario_tone.h"

#include <algorithm>
#include <cmath>

#include "audio/vario_tone_table.h"

using namespace vario_tone;

namespace {
constexpr double kTwoPi = 6.283185307179586;
}  // namespace

VarioTone::VarioTone(int sampleRate) : m_nRate(sampleRate) {}

void VarioTone::SetVario(std::optional<double> vario) {
  if (!vario || !std::isfinite(*vario)) {
    m_mode = Mode::kSilent;
    return;
  }
  m_vario = *vario;
  const Mode before = m_mode;
  if (m_vario <= kSinkOn) {
    m_mode = Mode::kSink;
  } else if (m_mode == Mode::kSink && m_vario > kSinkOff) {
    m_mode = m_vario >= kClimbOn ? Mode::kClimb : Mode::kSilent;
  } else if (m_mode == Mode::kClimb && m_vario < kClimbOff) {
    m_mode = Mode::kSilent;
  } else if (m_mode == Mode::kSilent && m_vario >= kClimbOn) {
    m_mode = Mode::kClimb;
  }
  // From silence the tone starts on its pitch; between values it glides.
  if (before == Mode::kSilent && m_gain == 0) m_frequency = TargetFrequency();
  if (before != Mode::kClimb && m_mode == Mode::kClimb) StartPeriod();
}

double VarioTone::TargetFrequency() const {
  if (m_vario >= 0) return std::min(kBaseHz + kClimbHzPerMs * m_vario, kMaxHz);
  return std::max(kBaseHz - kSinkHzPerMs * std::fabs(m_vario), kMinHz);
}

void VarioTone::StartPeriod() {
  const double periodMs = std::max(kPeriodMs - kPeriodMsPerMs * std::max(m_vario, 0.0), kMinPeriodMs);
  m_nPeriod = static_cast<std::size_t>(periodMs / 1000 * m_nRate);
  m_nOn = static_cast<std::size_t>(static_cast<double>(m_nPeriod) * kDuty);
  m_nPosition = 0;
}

bool VarioTone::Quiet() const {
  return m_mode == Mode::kSilent && m_gain == 0 && m_nPosition >= m_nOn;
}

void VarioTone::Render(std::int16_t* samples, std::size_t count) {
  const double glide = 1 - std::exp(-1.0 / (kGlideSeconds * m_nRate));
  const double fadeStep = 1.0 / (kFadeSeconds * m_nRate);
  const std::size_t fadeSamples = static_cast<std::size_t>(kFadeSeconds * m_nRate);
  const double target = TargetFrequency();
  for (std::size_t i = 0; i < count; ++i) {
    bool sounding = m_mode == Mode::kSink;
    // Climbing, or a beep that has begun and finishes although the climb
    // has stopped.
    if (m_mode == Mode::kClimb || (m_mode == Mode::kSilent && m_nPosition < m_nOn)) {
      if (m_mode == Mode::kClimb && m_nPosition >= m_nPeriod) StartPeriod();  // the newest climb
      // The beep fades out so that it is silent at its end.
      sounding = m_nPosition + fadeSamples < m_nOn;
      ++m_nPosition;
    }
    m_gain = sounding ? std::min(1.0, m_gain + fadeStep) : std::max(0.0, m_gain - fadeStep);
    m_frequency += (target - m_frequency) * glide;
    m_phase += kTwoPi * m_frequency / m_nRate;
    if (m_phase >= kTwoPi) m_phase -= kTwoPi;
    samples[i] = static_cast<std::int16_t>(std::lround(32767 * kAmplitude * m_gain * std::sin(m_phase)));
  }
}
