// Thermal and start-point navigation: climbing state, the strongest climb of
// the current thermal and its wind-drifted position, distance and bearing to
// that thermal and to the start point the pilot set.
#pragma once

#include "flight/acquisition_state.h"

// Once per GPRMC sentence, before the sentence is read: works on the time
// and position of the previous one.
void UpdateNavigation(AcquisitionState& state);
