#include "tools/flight_sim.h"

#include <cmath>
#include <cstdio>

#include "logs/local_time.h"
#include "tools/sim_geometry.h"
#include "tools/sim_random.h"
#include "tools/sim_sentence.h"

namespace {

constexpr double kMetresPerDegree = 1852.0 * 60;  // of latitude
constexpr double kCircleSeconds = 20;  // one full turn in a thermal
constexpr double kThermalBank = 35;    // [deg]
constexpr double kLowestGlide = 400;   // [m] below this the next phase is a thermal

// ddmm.mmmm (or dddmm.mmmm) and its hemisphere letter.
std::string Position(double degrees, int degreeDigits, char positive, char negative) {
  const long long tenThousandths = std::llround(std::fabs(degrees) * 60 * 10000);
  char text[32];
  std::snprintf(text, sizeof text, "%0*lld%02lld.%04lld,%c", degreeDigits, tenThousandths / 600000,
                tenThousandths % 600000 / 10000, tenThousandths % 10000,
                degrees < 0 ? negative : positive);
  return text;
}

}  // namespace

FlightSimulator::FlightSimulator(const FlightSimOptions& options)
    : m_options(options), m_random(options.seed), m_noise(options.seed), m_altitude(options.altitude) {
  m_fix.second = options.startSecond;
  m_fix.year = options.year, m_fix.month = options.month, m_fix.day = options.day;
  m_fix.lat = options.lat, m_fix.lon = options.lon;
  StartPhase();
  m_verticalSpeed = m_climb;  // already in the first phase's air
}

double FlightSimulator::Uniform(double low, double high) { return SimUniform(m_random, low, high); }

double FlightSimulator::Gaussian() { return StandardGaussian(m_noise); }

void FlightSimulator::StartPhase() {
  if (m_options.vertical.empty()) {
    // Glide and thermal take turns, from a glide.
    if (m_nPhases == 0 || m_fix.circling) {
      StartGlide();
    } else {
      StartThermal();
    }
  } else {
    const VerticalPhase& phase = m_options.vertical[m_nPhases % m_options.vertical.size()];
    if (phase.verticalSpeed > 0) {
      StartThermal();
    } else {
      StartGlide();
    }
    m_climb = phase.verticalSpeed;
    m_nPhaseLeft = phase.seconds;
  }
  ++m_nPhases;
}

void FlightSimulator::StartGlide() {
  // Legs turn by a little over a quarter each time, so that over a flight
  // the glides point every way.
  m_fix.heading = SimCompass(m_nLegs++ * 97.0 + Uniform(0, 30));
  m_nPhaseLeft = static_cast<int>(Uniform(40, 90));
  m_climb = -kSimGlideSink;
  m_turnRate = 0;
  m_fix.circling = false;
  m_fix.bank = 0;
}

void FlightSimulator::StartThermal() {
  m_nPhaseLeft = static_cast<int>(Uniform(90, 150));
  m_climb = Uniform(1.5, 3.5);
  m_turnRate = (m_nLegs % 2 ? 1 : -1) * 360 / kCircleSeconds;
  m_fix.circling = true;
  m_fix.bank = kThermalBank;
}

SimFix FlightSimulator::Next() {
  const SimFix fix = [&] {
    SimFix now = m_fix;
    now.altitude = static_cast<int>(std::lround(m_altitude));
    // Ground track: the air's motion plus the wind's (which blows from windFrom).
    const double airspeed =
        m_options.airspeed + (m_options.airspeedNoise > 0 ? m_options.airspeedNoise * Gaussian() : 0);
    const double north = airspeed * std::cos(SimRad(now.heading)) -
                         m_options.windSpeed * std::cos(SimRad(m_options.windFrom));
    const double east = airspeed * std::sin(SimRad(now.heading)) -
                        m_options.windSpeed * std::sin(SimRad(m_options.windFrom));
    now.groundSpeed = std::hypot(north, east);
    now.course = SimCompass(SimDeg(std::atan2(east, north)));
    now.turnRate = m_turnRate;
    // In a new phase the vertical speed takes this second to reach the
    // phase's; after that it holds.
    now.exactAltitude = m_altitude;
    now.verticalSpeed = m_verticalSpeed;
    now.nextVerticalSpeed = m_climb;
    // Where the next second finds the glider.
    m_fix.lat += north / kMetresPerDegree;
    m_fix.lon += east / (kMetresPerDegree * std::cos(SimRad(m_fix.lat)));
    if (m_fix.lon > 180) m_fix.lon -= 360;
    if (m_fix.lon < -180) m_fix.lon += 360;
    return now;
  }();

  ++m_nFixes;
  // The same curve a reader of the fix draws between fixes: no step at the next.
  m_altitude = fix.AltitudeAfter(1);
  m_verticalSpeed = fix.nextVerticalSpeed;
  m_fix.heading = SimCompass(m_fix.heading + m_turnRate);
  // A random glide that gets low ends in a thermal; a scripted profile
  // is flown as it is written.
  const bool low = m_options.vertical.empty() && !m_fix.circling && m_altitude < kLowestGlide;
  if (--m_nPhaseLeft <= 0 || low) StartPhase();
  if (++m_fix.second == 86400) {  // UTC midnight: the next day
    m_fix.second = 0;
    if (++m_fix.day > DaysInMonth(m_fix.year, m_fix.month)) {
      m_fix.day = 1;
      if (++m_fix.month > 12) m_fix.month = 1, ++m_fix.year;
    }
  }
  return fix;
}

std::string SimVerticalSpeedLine(double from, double to, const timespec& when) {
  // Rounded to a tenth first, so that a small negative rate reads 0.0, not -0.0.
  const auto tenths = [](double rate) { return std::round(rate * 10) / 10 + 0.0; };
  char line[128];
  std::snprintf(line, sizeof line, "flight-sim: vertical speed %.1f -> %.1f m/s at %lld.%03ld\n",
                tenths(from), tenths(to), static_cast<long long>(when.tv_sec), when.tv_nsec / 1000000);
  return line;
}

std::string SimNmea(const SimFix& fix, const std::string& talker) {
  char time[32], date[32], motion[64], altitude[32];
  std::snprintf(time, sizeof time, "%02d%02d%02d.00", fix.second / 3600, fix.second / 60 % 60,
                fix.second % 60);
  std::snprintf(date, sizeof date, "%02d%02d%02d", fix.day, fix.month, fix.year % 100);
  std::snprintf(motion, sizeof motion, "%.1f,%.1f", fix.groundSpeed * 3600 / 1852, fix.course);
  std::snprintf(altitude, sizeof altitude, "%d.0", fix.altitude);
  const std::string position = Position(fix.lat, 2, 'N', 'S') + "," + Position(fix.lon, 3, 'E', 'W');
  return SimSentence(talker + "RMC," + time + ",A," + position + "," + motion + "," + date + ",,,A") +
         SimSentence(talker + "GGA," + time + "," + position + ",1,08,0.9," + altitude + ",M,47.0,M,,");
}
