// A simulated soaring flight, one fix a second: straight glides on headings
// all round the compass, and thermals circled in a steady wind with climbs
// of a few m/s, or a vertical profile given phase by phase. The glider
// enters and leaves each phase's lift or sink over a second, so its
// altitude is smooth between fixes, as a barometer sampled many times a
// second sees it. The same options and seed always give the same flight,
// to the last digit, so tests and demonstrations can rely on it.
#pragma once

#include <cstdint>
#include <ctime>
#include <random>
#include <string>
#include <vector>

// How fast the simulated gliders sink on a glide [m/s].
inline constexpr double kSimGlideSink = 1.1;

// One phase of a scripted vertical profile.
struct VerticalPhase {
  double verticalSpeed = 0;  // [m/s]; above 0 a thermal, circled, else a glide
  int seconds = 1;
  bool operator==(const VerticalPhase&) const = default;
};

struct FlightSimOptions {
  std::uint32_t seed = 1;
  double windFrom = 240;       // where the wind comes from [deg]
  double windSpeed = 4;        // [m/s]
  double airspeed = 10;        // [m/s], a paraglider's trim speed
  // RMS of the airspeed's random deviation at each fix, drawn afresh at
  // every fix [m/s]: the air's small gusts and the pilot's hands. 0: steady.
  double airspeedNoise = 0;
  int duration = 1800;         // fixes, one a second
  int startSecond = 12 * 3600; // UTC seconds since midnight of the first fix
  int year = 2026, month = 7, day = 15;  // UTC date of the first fix
  double lat = 46.375, lon = 8.0333;     // start position [deg], signed: S and W negative
  double altitude = 1500;      // start altitude [m]
  std::string talker = "GP";   // "GP" or "GN"
  // Flown in order, then again from the first, until the duration ends;
  // empty: glides and thermals of random lengths and climbs.
  std::vector<VerticalPhase> vertical = {};
};

// One simulated second.
struct SimFix {
  int second = 0;            // UTC seconds since midnight, 0..86399
  int year = 0, month = 0, day = 0;
  double lat = 0, lon = 0;   // [deg], signed
  int altitude = 0;          // [m], whole metres as the receiver reports them
  double exactAltitude = 0;  // [m]; `altitude` is it rounded
  double verticalSpeed = 0;      // [m/s] at the fix
  double nextVerticalSpeed = 0;  // [m/s] one second later, at the next fix
  double groundSpeed = 0;    // [m/s]
  double course = 0;         // over ground [deg 0..360)
  double heading = 0;        // through the air [deg 0..360)
  double bank = 0;           // [deg], 0 on a glide
  double turnRate = 0;       // [deg/s] from this fix to the next, to the right above 0
  bool circling = false;

  // The altitude [m] `seconds` (0..1) after the fix: the vertical speed
  // moves linearly from the fix's to the next one's over the second.
  double AltitudeAfter(double seconds) const {
    return exactAltitude + verticalSpeed * seconds +
           (nextVerticalSpeed - verticalSpeed) * seconds * seconds / 2;
  }
};

class FlightSimulator {
 public:
  explicit FlightSimulator(const FlightSimOptions& options);

  bool Done() const { return m_nFixes >= m_options.duration; }
  // The next second of the flight.
  SimFix Next();

 private:
  void StartPhase();  // the next glide or thermal, scripted or random
  void StartGlide();
  void StartThermal();
  double Uniform(double low, double high);  // the same on every standard library
  double Gaussian();                        // mean 0, RMS 1, from its own generator

  FlightSimOptions m_options;
  std::mt19937 m_random;
  std::mt19937 m_noise;  // apart, so that the noise leaves the flight's course as it was
  SimFix m_fix;
  double m_altitude;           // [m] at the next fix
  double m_verticalSpeed = 0;  // [m/s] at the next fix
  int m_nFixes = 0;
  int m_nPhases = 0;
  int m_nPhaseLeft = 0;    // seconds left in this glide or thermal
  int m_nLegs = 0;
  double m_climb = 0;      // [m/s] in this phase, once the first second's change is over
  double m_turnRate = 0;   // [deg/s], 0 on a glide
};

// The fix as a receiver sends it: RMC then GGA, with checksums and CR LF.
std::string SimNmea(const SimFix& fix, const std::string& talker);

// The line `flight-sim run` prints when the vertical speed starts to move
// from `from` to `to` [m/s], at the wall-clock time `when`, e.g.
// "flight-sim: vertical speed -1.0 -> 2.0 m/s at 1765130000.123\n".
std::string SimVerticalSpeedLine(double from, double to, const timespec& when);
