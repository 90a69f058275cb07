#include "audio/speaker.h"

#include <algorithm>
#include <cmath>

void Speaker::Render(std::int16_t* samples, std::size_t count) {
  const double target = m_alarm.Playing() ? 1.0 : 0.0;
  if (m_alarmShare == 0 && target == 0 && m_alarm.Quiet()) {
    m_vario.Render(samples, count);
    return;
  }
  m_varioSamples.resize(count);
  m_vario.Render(m_varioSamples.data(), count);
  m_alarm.Render(samples, count);
  const double step = 1.0 / (kHandOverSeconds * m_nRate);
  for (std::size_t i = 0; i < count; ++i) {
    m_alarmShare = target > m_alarmShare ? std::min(target, m_alarmShare + step) : std::max(target, m_alarmShare - step);
    samples[i] = static_cast<std::int16_t>(
        std::lround(m_alarmShare * samples[i] + (1 - m_alarmShare) * m_varioSamples[i]));
  }
}
