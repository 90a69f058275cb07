// Who has the top line. It shows its field's text, unless an alarm takes it
// over, black on white, for as long as the alarm lasts. The alarms in order
// of priority: a traffic collision alarm first (an airspace warning, when
// there is one, would come next). The window only shows the text and the
// inverse flag it is handed; a tap on the line goes to whoever owns it.
#pragma once

#include <string>

#include "base/traffic.h"
#include "display/display_texts.h"

enum class TopLineOwner { kField, kTrafficAlarm };

struct TopLine {
  std::string strText;
  bool bInverse = false;   // black on white: an alarm
  TopLineOwner owner = TopLineOwner::kField;

  bool operator==(const TopLine&) const = default;
};

TopLine DecideTopLine(const std::string& fieldText, const TrafficAlarm& traffic);

// The top line of `texts` from its field's own text (strTopField) and the
// alarms as they stand now.
void ApplyTopLine(FieldTexts& texts, const TrafficAlarm& traffic);
