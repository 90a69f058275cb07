// The three lines of large text the pilot reads: each shows the value its
// field code selects, as a short label followed by the formatted value.
#pragma once

#include <string>

#include "base/acquisition_state.h"

struct FieldTexts {
  std::string strField1;   // top line
  std::string strField2;   // middle line
  std::string strField3;   // bottom line
};

// Builds the three texts from the field codes g_nFieldSel1..3 (top, middle,
// bottom), once per GPRMC sentence, replacing all three. The battery gauge
// is opened, read and closed only while the top line shows it.
void UpdateDisplayTexts(const AcquisitionState& state, FieldTexts& texts);
