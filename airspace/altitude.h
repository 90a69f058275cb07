// An airspace's floor and ceiling, and the pilot's altitude each is
// measured against:
//
//   flight levels and STD limits  the pressure altitude (standard
//                                 atmosphere, 1013.25 hPa at 0 m) from the
//                                 barometer, or the GPS altitude without one
//   AMSL limits                   the GPS altitude above mean sea level
//   AGL limits                    the height above the take-off point: the
//                                 instrument has no terrain, so the ground
//                                 is taken to be where the flight started
//
// GND and SFC floors reach down to any ground, however deep the valley;
// UNL ceilings have no top.
#pragma once

#include <optional>

enum class AltitudeReference {
  kGround,     // a floor on the ground (metres unused)
  kMsl,        // above mean sea level
  kAgl,        // above the ground
  kPressure,   // pressure altitude: a flight level, or an STD altitude
  kUnlimited,  // a ceiling without a top (metres unused)
};

struct AltitudeLimit {
  AltitudeReference reference = AltitudeReference::kGround;
  double metres = 0;

  bool operator==(const AltitudeLimit&) const = default;
};

inline constexpr double kMetresPerFoot = 0.3048;

// The pilot's altitudes at one fix [m].
struct PilotAltitudes {
  double gps = 0;           // GPS altitude above mean sea level
  double pressure = 0;      // pressure altitude, or the GPS altitude without a barometer
  double aboveTakeoff = 0;  // GPS altitude above the take-off point's

  // Without a barometer (`pressure_m` empty) flight levels are compared
  // with the GPS altitude.
  static PilotAltitudes From(double gps_m, std::optional<double> pressure_m, double takeoffGps_m) {
    return {gps_m, pressure_m.value_or(gps_m), gps_m - takeoffGps_m};
  }
};

// The pilot's altitude in a limit's reference [m].
double PilotAltitudeFor(AltitudeReference reference, const PilotAltitudes& pilot);

// How far the pilot is above a floor and below a ceiling [m]: negative when
// he is below the floor or above the ceiling, +infinity for a ground floor
// or an unlimited ceiling.
double HeightAboveFloor(const AltitudeLimit& floor, const PilotAltitudes& pilot);
double DepthBelowCeiling(const AltitudeLimit& ceiling, const PilotAltitudes& pilot);

// False when a floor lies above a ceiling given in the same reference
// (no file means that); limits in different references cannot be compared
// without the day's pressure and the terrain.
bool FloorNotAboveCeiling(const AltitudeLimit& floor, const AltitudeLimit& ceiling);
