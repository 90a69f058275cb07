// The three lines of large text the pilot reads: each shows the value its
// field code selects, as a short label followed by the formatted value.
#pragma once

#include <string>

#include "base/acquisition_state.h"
#include "base/traffic.h"

// Who has the top line (display/top_line.h).
enum class TopLineOwner { kField, kTrafficAlarm, kAirspaceWarning };

struct FieldTexts {
  std::string strField1;   // top line, as shown: its field's text or an alarm
  std::string strField2;   // middle line
  std::string strField3;   // bottom line
  bool bTopInverse = false;   // the top line black on white: an alarm has it
  TopLineOwner topOwner = TopLineOwner::kField;
  std::string strTopField;    // the top field's own text, back when the alarm ends

  bool operator==(const FieldTexts&) const = default;
};

// The pilot's airspace as the lines show it: the "Airspace" entry ("As --"
// when no airspace that warns is near, or without an airspace file), and
// the most urgent warning for the top line, empty while there is none.
struct AirspaceTexts {
  std::string strEntry = "As --";
  std::string strWarning;
};

// Builds the three texts from the field codes g_nFieldSel1..3 (top, middle,
// bottom), once per GPRMC sentence, replacing all three; an alarm takes
// over the top line (display/top_line.h). The battery gauge is opened, read
// and closed only while the top line shows it.
void UpdateDisplayTexts(const AcquisitionState& state, const TrafficPicture& traffic, const AirspaceTexts& airspace,
                        FieldTexts& texts);
