#include "audio/alarm_choice.h"

bool AlarmChoice::Follow(AlarmTone& alarm, int trafficLevel, unsigned long airspaceRequests) {
  const TonePattern* traffic = TrafficAlarmPattern(trafficLevel);
  const bool beeps = airspaceRequests != m_nHeard;
  m_nHeard = airspaceRequests;
  bool started = false;
  if (traffic != nullptr) {
    started = traffic != alarm.Pattern();
    alarm.Play(traffic);
  } else if (beeps) {
    alarm.PlayFromStart(AirspaceWarningPattern());
    started = true;
  } else if (m_traffic != nullptr) {
    alarm.Play(nullptr);  // the traffic alarm has ended
  }
  m_traffic = traffic;
  return started;
}

void AlarmChoice::Silence(AlarmTone& alarm, unsigned long airspaceRequests) {
  alarm.Play(nullptr);
  m_traffic = nullptr;
  m_nHeard = airspaceRequests;
}
