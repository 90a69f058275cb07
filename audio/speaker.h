// The speaker's one voice: the vario's tone, or an alarm while one plays.
// An alarm takes the speaker from the vario for as long as it lasts and
// gives it back after; each hand-over fades across kHandOverSeconds, so
// neither breaks off with a click. The vario runs on beneath the alarm,
// and is heard again as it stands then.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/alarm_tone.h"
#include "audio/vario_tone.h"

class Speaker {
 public:
  static constexpr double kHandOverSeconds = 0.01;

  explicit Speaker(int sampleRate) : m_vario(sampleRate), m_alarm(sampleRate), m_nRate(sampleRate) {}

  VarioTone& Vario() { return m_vario; }
  AlarmTone& Alarm() { return m_alarm; }

  void Render(std::int16_t* samples, std::size_t count);
  // Nothing to play: the vario and the alarm quiet, no hand-over under way.
  bool Quiet() const { return m_vario.Quiet() && m_alarm.Quiet() && m_alarmShare == 0; }

 private:
  VarioTone m_vario;
  AlarmTone m_alarm;
  int m_nRate;
  double m_alarmShare = 0;   // 0 the vario is heard, 1 the alarm
  std::vector<std::int16_t> m_varioSamples;
};
