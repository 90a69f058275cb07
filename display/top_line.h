// Who has the top line. It shows its field's text, unless an alarm takes it
// over, black on white, for as long as the alarm lasts. The alarms in order
// of priority: a traffic collision alarm first, then an airspace warning.
// The window only shows the text and the inverse flag it is handed; a tap
// on the line goes to whoever owns it (an airspace warning is acknowledged
// by it, a traffic alarm is not).
#pragma once

#include <cstddef>
#include <string>

#include "base/traffic.h"
#include "display/display_texts.h"

struct TopLine {
  std::string strText;
  bool bInverse = false;   // black on white: an alarm
  TopLineOwner owner = TopLineOwner::kField;

  bool operator==(const TopLine&) const = default;
};

// `airspaceWarning` is the most urgent airspace warning's text, empty
// when there is none.
TopLine DecideTopLine(const std::string& fieldText, const TrafficAlarm& traffic, const std::string& airspaceWarning);

// The top line of `texts` from its field's own text (strTopField) and the
// alarms as they stand now.
void ApplyTopLine(FieldTexts& texts, const TrafficAlarm& traffic, const std::string& airspaceWarning);

// How many characters of an alarm's text the top line holds. The window
// measures it for its screen and font; without a window (a replay) it is
// kTopLineCharacters. Read on the acquisition thread.
inline constexpr std::size_t kTopLineCharacters = 12;
void SetTopLineCharacters(std::size_t characters);
std::size_t TopLineCharacters();
