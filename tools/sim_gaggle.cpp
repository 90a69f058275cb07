#include "tools/sim_gaggle.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kGlideTurn = 12;     // the sharpest turn on a glide [deg/s]
constexpr double kNearPlace = 40;     // [m] nearer its place a glider flies the pilot's heading
constexpr double kThermalHurry = 1.15;  // its airspeed to a thermal, of its trim speed
constexpr double kHeightKeeping = 0.02;  // [m/s per m] off its height in the gaggle
constexpr double kMostHeightKeeping = 0.4;  // [m/s]
constexpr int kLongestStay = 45;  // [s] after the pilot, not to be left behind

// The vertical speed of a glide at `speed` by a glider trimmed for
// `trim`: faster sinks more, as the square of the speed.
double GlideSink(double speed, double trim) { return -kSimGlideSink * (speed / trim) * (speed / trim); }

SimPoint AheadAndRight(double course, SimPoint place) {
  return SimToward(course, place.north) + SimToward(course + 90, place.east);
}

}  // namespace

SimGaggle::SimGaggle(const FlightSimOptions& flight, int size)
    : m_flight(flight), m_wind(SimWindDrift(flight.windFrom, flight.windSpeed)) {
  std::seed_seq seed = {flight.seed, 1u};
  m_random.seed(seed);
  m_members.resize(static_cast<std::size_t>(size));
  for (std::size_t i = 0; i < m_members.size(); ++i) {
    Member& member = m_members[i];
    do {
      member.now.id = SimDeviceId(0xDD, m_random);
    } while (std::any_of(m_members.begin(), m_members.begin() + static_cast<long>(i),
                         [&](const Member& other) { return other.now.id == member.now.id; }));
    member.now.type = flight.airspeed < 20 ? kSimParagliderType : kSimGliderType;
    member.airspeed = flight.airspeed * Uniform(0.93, 1.07);
    // A turn of 17 to 24 s at its speed.
    member.circleRadius = member.airspeed * Uniform(17, 24) / (2 * std::numbers::pi);
    member.climbBias = Uniform(-0.3, 0.3);
    member.height = EitherSide(50, 250);
    member.place.east = EitherSide(60, 250);
    member.place.north = Uniform(-200, 100);
  }
}

void SimGaggle::Start(const SimFix& fix, SimPoint pilot) {
  for (Member& member : m_members) {
    member.now.position = pilot + AheadAndRight(fix.course, member.place);
    member.now.altitude = fix.exactAltitude + member.height;
    member.now.climb = fix.verticalSpeed;
    member.heading = fix.heading;
  }
}

std::vector<SimAircraft> SimGaggle::Fly(const SimFix& fix, SimPoint pilot) {
  if (m_nSecond == 0) Start(fix, pilot);
  FollowThePilotsThermals(fix, pilot);
  std::vector<SimAircraft> gaggle;
  gaggle.reserve(m_members.size());
  for (Member& member : m_members) {
    ChooseMode(member);
    double turn = 0, climb = 0;
    const SimPoint next = Move(member, fix, pilot, turn, climb);
    // Each keeps to about its height in the gaggle, and takes a couple of
    // seconds to change its vertical speed.
    const double above = member.now.altitude - fix.exactAltitude;
    climb += std::clamp(kHeightKeeping * (member.height - above), -kMostHeightKeeping, kMostHeightKeeping);
    member.now.climb += (climb - member.now.climb) / 2;
    SimAircraft& glider = gaggle.emplace_back(member.now);
    glider.track = SimBearing(next - member.now.position);
    glider.groundSpeed = SimLength(next - member.now.position);
    glider.turnRate = turn;
    member.now.position = next;
    member.now.altitude += member.now.climb;
  }
  ++m_nSecond;
  return gaggle;
}

void SimGaggle::FollowThePilotsThermals(const SimFix& fix, SimPoint pilot) {
  if (fix.circling && !m_bPilotCircling) {
    // The pilot flies a polygon through the air, its airspeed long each
    // second, turning by its turn rate at each corner: the core is the
    // polygon's centre, drifting with the air.
    const double half = std::fabs(fix.turnRate) / 2;
    const double turn = fix.turnRate < 0 ? -1 : 1;
    const double radius = half > 0 ? m_flight.airspeed / (2 * std::sin(SimRad(half))) : 0;
    m_thermals.push_back(
        {pilot + SimToward(fix.heading + turn * (90 - half), radius), m_nSecond, fix.nextVerticalSpeed, turn});
    for (Member& member : m_members) member.joinSecond = m_nSecond + static_cast<int>(Uniform(1, 7));
  }
  if (!fix.circling && m_bPilotCircling) {
    for (Member& member : m_members) {
      const int late = member.mode == Mode::kCircling ? std::min(member.lateBy, kLongestStay) : 0;
      member.leaveSecond = m_nSecond + std::max(0, late + static_cast<int>(Uniform(-3, 5)));
    }
  }
  m_bPilotCircling = fix.circling;
}

void SimGaggle::ChooseMode(Member& member) const {
  const int newest = static_cast<int>(m_thermals.size()) - 1;
  if (m_bPilotCircling && member.thermal != newest && m_nSecond >= member.joinSecond) {
    member.mode = Mode::kToThermal;
    member.thermal = newest;
  }
  if (!m_bPilotCircling && member.mode != Mode::kGlide && m_nSecond >= member.leaveSecond) {
    member.mode = Mode::kGlide;
    member.thermal = -1;
  }
  if (member.mode == Mode::kToThermal) {
    const SimPoint fromCore = member.now.position - Core(member.thermal, m_nSecond);
    if (SimLength(fromCore) <= member.circleRadius + 10) {
      member.mode = Mode::kCircling;
      member.lateBy = m_nSecond - m_thermals[static_cast<std::size_t>(member.thermal)].second;
      member.bearingFromCore = SimBearing(fromCore);
      member.radius = SimLength(fromCore);
    }
  }
}

SimPoint SimGaggle::Move(Member& member, const SimFix& fix, SimPoint pilot, double& turn, double& climb) const {
  switch (member.mode) {
    case Mode::kGlide: {
      // To its place beside the pilot, slower when it is nearly there.
      const SimPoint toPlace = pilot + AheadAndRight(fix.course, member.place) - member.now.position;
      const double distance = SimLength(toPlace);
      const double speed = member.airspeed * std::clamp(0.85 + distance / 250, 0.85, 1.0);
      climb = GlideSink(speed, member.airspeed);
      return Glide(member, distance > kNearPlace ? SimBearing(toPlace) : fix.heading, speed, turn);
    }
    case Mode::kToThermal:
      climb = GlideSink(member.airspeed * kThermalHurry, member.airspeed);
      return Glide(member, SimBearing(Core(member.thermal, m_nSecond) - member.now.position),
                   member.airspeed * kThermalHurry, turn);
    case Mode::kCircling:
      climb = m_thermals[static_cast<std::size_t>(member.thermal)].climb + member.climbBias;
      return Circle(member, turn);
  }
  return member.now.position;
}

SimPoint SimGaggle::Glide(Member& member, double bearing, double speed, double& turn) const {
  const SimPoint next = member.now.position + SimToward(member.heading, speed) + m_wind;
  turn = std::clamp(std::remainder(bearing - member.heading, 360.0), -kGlideTurn, kGlideTurn);
  member.heading = SimCompass(member.heading + turn);
  return next;
}

SimPoint SimGaggle::Circle(Member& member, double& turn) const {
  // Round the drifting core, settling on its own circle within seconds;
  // come in nearer the core, it turns no faster than on its circle.
  const Thermal& thermal = m_thermals[static_cast<std::size_t>(member.thermal)];
  member.radius += (member.circleRadius - member.radius) / 5;
  turn = thermal.turn * SimDeg(member.airspeed / std::max(member.radius, member.circleRadius));
  member.bearingFromCore = SimCompass(member.bearingFromCore + turn);
  member.heading = SimCompass(member.bearingFromCore + thermal.turn * 90);
  return Core(member.thermal, m_nSecond + 1) + SimToward(member.bearingFromCore, member.radius);
}

double SimGaggle::EitherSide(double low, double high) {
  const double side = Uniform(0, 1) < 0.5 ? -1 : 1;  // drawn first, whatever the compiler
  return side * Uniform(low, high);
}

SimPoint SimGaggle::Core(int thermal, int second) const {
  const Thermal& t = m_thermals[static_cast<std::size_t>(thermal)];
  return t.core + static_cast<double>(second - t.second) * m_wind;
}
