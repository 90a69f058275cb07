// Which alarm has the speaker: a traffic collision alarm while it lasts;
// otherwise the airspace warning's beeps, played through once for each new
// request. The traffic alarm keeps priority: beeps asked for while it
// sounds are passed by (the top line shows the warning once the traffic
// alarm has left it). Plain logic, run by the audio thread.
#pragma once

#include "audio/alarm_tone.h"

class AlarmChoice {
 public:
  // `airspaceRequests`: the requests made before, which are not heard.
  explicit AlarmChoice(unsigned long airspaceRequests) : m_nHeard(airspaceRequests) {}

  // Has `alarm` play what the alarms ask for now: the traffic alarm's
  // level (0 none) and the count of airspace requests. True when a pattern
  // has just started, so that what the device still holds of the sound
  // before may be dropped.
  bool Follow(AlarmTone& alarm, int trafficLevel, unsigned long airspaceRequests);
  // "Sound" is off: nothing plays, and the requests made so far are passed by.
  void Silence(AlarmTone& alarm, unsigned long airspaceRequests);

 private:
  const TonePattern* m_traffic = nullptr;   // the traffic alarm's pattern, as last followed
  unsigned long m_nHeard;
};
