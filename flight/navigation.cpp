#include "flight/navigation.h"

// Not navigated yet: no thermal is predicted and the start-point distance
// stays 0.
void UpdateNavigation(AcquisitionState& /*state*/) {}
