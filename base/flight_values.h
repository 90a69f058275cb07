// The process-wide flight values. Each has one writer, the acquisition
// thread. The values the instrument panel paints from on the user-interface
// thread are atomic, so that a paint never reads a half-written number.
#pragma once

#include <atomic>
#include <chrono>

// The instrument's value of pi, used by every angle conversion:
// radians = degrees * g_dPi * (1/180), degrees = radians / g_dPi * 180.
inline constexpr double g_dPi = 3.1415926535;

extern double g_dVario;                       // vertical speed [m/s]
// g_dVario's marker for ten samples that do not spread in time (the clock
// stood still): no slope can be formed.
inline constexpr double kVarioNoSpread = 9999.0;

// The fast vertical speed [m/s], filtered from the barometer's samples,
// handed from the barometer's sampling thread to the audio vario's thread,
// with the count of values published so far: a count that stands still
// means no new sample.
struct VarioReading {
  double vario = 0;
  unsigned long updates = 0;
};
void PublishFastVario(double vario);
VarioReading LatestFastVario();
// For a reader with nothing to do while the value stays within (low, high)
// (a silent tone): waits until a value on or beyond either end is
// published, `timeout` passes or WakeFastVarioWaiters() has been called
// since FastVarioWakes() gave `wakes`, without waking for every value in
// between. Returns the latest reading.
VarioReading WaitForFastVarioOutside(double low, double high, std::chrono::milliseconds timeout,
                                     unsigned long wakes);
unsigned long FastVarioWakes();
void WakeFastVarioWaiters();
extern std::atomic<double> g_dWindDir;        // toward which the wind moves [deg 0..360]
extern std::atomic<double> g_dWindSpeed;      // [m/s]
extern std::atomic<double> g_dHeading;        // through the air [deg 0..360]
extern double g_dAirspeed;                    // true airspeed [km/h]
extern double g_dSpeedOnHeading;              // ground speed along the heading [km/h]
extern double g_dGlideRatio;                  // at most 100
extern double g_dCompassDir;                  // last compass direction [deg]
extern float g_fAccelX;                       // last G-sensor values, library units
extern float g_fAccelY;
extern float g_fAccelZ;
extern bool g_bClimbing;
extern std::atomic<double> g_dClimbPeak;      // best climb of the thermal [m/s], -1 expired
extern std::atomic<double> g_dThermalDist;    // to the predicted thermal [km]
extern std::atomic<double> g_dThermalBearing; // to the thermal, relative to the heading [deg]
extern double g_dStartDist;                   // to the start point [km]

// The wind fitted to the circles flown in thermals (flight/circle_wind.h),
// beside the four-sector estimate above, which it leaves as it is. Read by
// the display texts on the acquisition thread, its one writer.
struct CircleWind {
  double dFromDir = 0;   // where the wind comes from [deg 0..360), as the pilot reads it
  double dSpeed = 0;     // [m/s]
  bool bFitted = false;  // a circle has been fitted since the start
};
extern CircleWind g_circleWind;

// Written by the acquisition loop itself.
extern double g_dTimeBase;                    // first non-zero GPRMC time [s since midnight]
extern bool g_bTimeBasePending;               // the time base is not yet taken
extern int g_nRedrawCount;                    // accepted fixes since the last repaint request

// Back to the start values of a new process (for replays and tests); the
// computations' own memories are reset by ResetFlight (flight/flight_reset.h).
void ResetFlightValues();
