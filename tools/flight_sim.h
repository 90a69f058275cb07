// A simulated soaring flight, one fix a second: straight glides on headings
// all round the compass, and thermals circled in a steady wind with climbs
// of a few m/s. The same options and seed always give the same flight, to
// the last digit, so tests and demonstrations can rely on it.
#pragma once

#include <cstdint>
#include <random>
#include <string>

struct FlightSimOptions {
  std::uint32_t seed = 1;
  double windFrom = 240;       // where the wind comes from [deg]
  double windSpeed = 4;        // [m/s]
  int duration = 1800;         // fixes, one a second
  int startSecond = 12 * 3600; // UTC seconds since midnight of the first fix
  int year = 2026, month = 7, day = 15;  // UTC date of the first fix
  double lat = 46.375, lon = 8.0333;     // start position [deg], signed: S and W negative
  double altitude = 1500;      // start altitude [m]
  std::string talker = "GP";   // "GP" or "GN"
};

// One simulated second.
struct SimFix {
  int second = 0;            // UTC seconds since midnight, 0..86399
  int year = 0, month = 0, day = 0;
  double lat = 0, lon = 0;   // [deg], signed
  int altitude = 0;          // [m], whole metres as the receiver reports them
  double groundSpeed = 0;    // [m/s]
  double course = 0;         // over ground [deg 0..360)
  double heading = 0;        // through the air [deg 0..360)
  double bank = 0;           // [deg], 0 on a glide
  bool circling = false;
};

class FlightSimulator {
 public:
  explicit FlightSimulator(const FlightSimOptions& options);

  bool Done() const { return m_nFixes >= m_options.duration; }
  // The next second of the flight.
  SimFix Next();

 private:
  void StartGlide();
  void StartThermal();
  double Uniform(double low, double high);  // the same on every standard library

  FlightSimOptions m_options;
  std::mt19937 m_random;
  SimFix m_fix;
  double m_altitude;
  int m_nFixes = 0;
  int m_nPhaseLeft = 0;    // seconds left in this glide or thermal
  int m_nLegs = 0;
  double m_climb = 0;      // [m/s] in this phase
  double m_turnRate = 0;   // [deg/s], 0 on a glide
};

// The fix as a receiver sends it: RMC then GGA, with checksums and CR LF.
std::string SimNmea(const SimFix& fix, const std::string& talker);
