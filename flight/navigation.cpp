#include "flight/navigation.h"

#include <cmath>

#include "base/angles.h"
#include "base/flight_values.h"
#include "base/settings_values.h"
#include "base/time_of_day.h"
#include "flight/fix_acceptance.h"
#include "flight/vario.h"

namespace {

constexpr double kKmPerDegree = 111.1;
constexpr double kDriftFactor = 0.85;  // a thermal drifts slower than the wind

struct Offset {
  double east;   // [km]
  double north;  // [km]
  double Bearing() const { return RadToDeg(std::atan2(east, north)); }  // -180..180
  double Distance() const { return std::sqrt(east * east + north * north); }
};

// Longitude difference taken the short way round, so that a pilot flying
// near the 180th meridian sees the point next to him, not round the globe.
double LongitudeDelta(double toLon, double fromLon) {
  double d = toLon - fromLon;
  if (d > 180) d -= 360;
  if (d < -180) d += 360;
  return d;
}

Offset OffsetTo(double lat, double lon, const AcquisitionState& from, double q) {
  return {LongitudeDelta(lon, from.dLon) * q * kKmPerDegree, (lat - from.dLat) * kKmPerDegree};
}

// The regression's marker for ten samples at one moment is no climb.
bool IsClimbRate(double vario) { return vario != kVarioNoSpread; }

void UpdateClimbingState() {
  if (!IsClimbRate(g_dVario)) return;
  if (g_dVario > 0) g_bClimbing = true;
  if (g_dVario < -1.0) g_bClimbing = false;
}

void UpdateThermal(AcquisitionState& state, int s, double q) {
  const double windSpeed = g_dWindSpeed;
  const double windDir = DegToRad(g_dWindDir);
  const double windNorth = windSpeed * std::cos(windDir);
  const double windEast = windSpeed * std::sin(windDir);

  if (g_bClimbing && state.dTime > 0) {
    if (IsClimbRate(g_dVario) && g_dClimbPeak < g_dVario) {
      g_dClimbPeak = g_dVario;
      state.dLatPeak = state.dLat;
      state.dLonPeak = state.dLon;
      state.nPeakTime = s;
    }
    // While circling the drift follows the wind slowly, so that the
    // thermal's path is the wind it rose through; a wind of 30 m/s or more
    // is not believed.
    if (windSpeed < 30) {
      state.dDriftNorth = 0.99 * state.dDriftNorth + 0.01 * windNorth;
      state.dDriftEast = 0.99 * state.dDriftEast + 0.01 * windEast;
    }
  } else {
    state.dDriftNorth = windNorth;
    state.dDriftEast = windEast;
  }

  const int age = SecondsSince(state.nPeakTime, s);
  if (age > kPeakLifetime) g_dClimbPeak = -1.0;

  // The peak position carried downwind for the time since the peak.
  const double drift = kDriftFactor * age;
  Offset thermal = OffsetTo(state.dLatPeak, state.dLonPeak, state, q);
  thermal.east += 0.001 * drift * state.dDriftEast;
  thermal.north += 0.001 * drift * state.dDriftNorth;

  state.dBearingThermal = thermal.Bearing();
  g_dThermalDist = thermal.Distance();
  g_dThermalBearing = state.dBearingThermal - g_dHeading;
}

void UpdateStartPoint(AcquisitionState& state, double q) {
  // A request made before the receiver has a fix waits for the first
  // accepted one: "no position" must not become a start point at 0 N 0 E.
  if (IsFixAccepted(state) && g_bPositionRequest.exchange(false)) {
    state.dLatStart = state.dLat;
    state.dLonStart = state.dLon;
  }
  const Offset start = OffsetTo(state.dLatStart, state.dLonStart, state, q);
  state.dBearingStart = start.Bearing();
  g_dStartDist = start.Distance();
}

}  // namespace

void UpdateNavigation(AcquisitionState& state) {
  const int s = SecondsOfDay(state.dTime);
  const double q = std::cos(DegToRad(state.dLat));
  UpdateClimbingState();
  UpdateThermal(state, s, q);
  UpdateStartPoint(state, q);
}
