#include "airspace/altitude.h"

#include <limits>

namespace {
constexpr double kUnbounded = std::numeric_limits<double>::infinity();
}

double PilotAltitudeFor(AltitudeReference reference, const PilotAltitudes& pilot) {
  switch (reference) {
    case AltitudeReference::kPressure: return pilot.pressure;
    case AltitudeReference::kAgl: return pilot.aboveTakeoff;
    case AltitudeReference::kMsl:
    case AltitudeReference::kGround:
    case AltitudeReference::kUnlimited: break;
  }
  return pilot.gps;
}

double HeightAboveFloor(const AltitudeLimit& floor, const PilotAltitudes& pilot) {
  if (floor.reference == AltitudeReference::kGround) return kUnbounded;
  if (floor.reference == AltitudeReference::kUnlimited) return -kUnbounded;
  return PilotAltitudeFor(floor.reference, pilot) - floor.metres;
}

double DepthBelowCeiling(const AltitudeLimit& ceiling, const PilotAltitudes& pilot) {
  if (ceiling.reference == AltitudeReference::kUnlimited) return kUnbounded;
  if (ceiling.reference == AltitudeReference::kGround) return -kUnbounded;
  return ceiling.metres - PilotAltitudeFor(ceiling.reference, pilot);
}

bool FloorNotAboveCeiling(const AltitudeLimit& floor, const AltitudeLimit& ceiling) {
  if (floor.reference == AltitudeReference::kGround || ceiling.reference == AltitudeReference::kUnlimited) return true;
  if (floor.reference == AltitudeReference::kUnlimited || ceiling.reference == AltitudeReference::kGround) return false;
  return floor.reference != ceiling.reference || floor.metres <= ceiling.metres;
}
