// The traffic as text: the "Traffic" display entry and the alarm line.
#pragma once

#include <string>

#include "base/traffic.h"

// "Tr --" without a traffic device, "Tr 0" with one and no targets, else
// "Tr N D H": the number of targets, the nearest one's horizontal distance
// [km, one decimal] and its height relative to the pilot [m, signed]. A part
// the device did not send is left out.
std::string TrafficFieldText(const TrafficPicture& traffic);

// The clock position of a bearing relative to the own track [deg]: 12
// ahead, 3 right, 6 behind, 9 left, the bearing rounded to the nearest 30
// degrees, half-way rounded away from ahead (15 degrees right is 1h, 15
// left 11h).
int ClockHour(double bearing);

// "!L C D H" for an alarm of level L: the clock position ("10h"), the
// horizontal distance [km, one decimal] and the relative height [m, signed],
// for example "!3 10h 0.3 +20"; what the alarm leaves empty is left out
// ("!2" alone). Empty for no alarm.
std::string TrafficAlarmText(const TrafficAlarm& alarm);
