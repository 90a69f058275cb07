// Which GPRMC fixes are recorded and flown with: a fix needs a status
// letter (any, "V" included), a position inside the globe's ranges and a
// time other than exactly midnight, which is what a receiver without time
// reports.
#pragma once

#include "base/acquisition_state.h"

bool IsFixAccepted(const AcquisitionState& state);
