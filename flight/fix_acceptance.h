// Which GPRMC fixes are recorded and flown with: a fix needs a position
// inside the globe's ranges, a time other than exactly midnight (what a
// receiver without time reports), and texts that make a whole B record (a
// time of day, digits where the record has digits, status A or V). So the
// track log, the acceleration log, the vario and the wind all take the same
// fixes, one line each in both logs.
#pragma once

#include "base/acquisition_state.h"

bool IsFixAccepted(const AcquisitionState& state);
