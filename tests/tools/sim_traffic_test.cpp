// The simulated traffic, read back as the instrument will read it: each
// line decoded here on its own (checksum, fields), never by the simulator's
// writer. The crossing glider must pass where and when it was asked to,
// raising the alarm levels 1, 2 and 3 in order and clearing after; the
// gaggle must circle in the pilot's thermals; and the pilot's own flight
// must not change by a byte.
#include "tools/sim_sky.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"

namespace {

using Fields = std::vector<std::string>;

// One second of the stream: its sentences' names, and the traffic's fields.
struct Second {
  std::vector<std::string> names;
  std::vector<Fields> targets;  // $PFLAA
  Fields status;                // $PFLAU
};

Fields Split(const std::string& body) {
  Fields fields;
  std::istringstream in(body);
  for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
  if (!body.empty() && body.back() == ',') fields.emplace_back();
  return fields;
}

// Checks every line's CR LF and checksum; a second starts at each RMC.
std::vector<Second> Decode(const std::string& stream) {
  std::vector<Second> seconds;
  std::size_t start = 0;
  for (std::size_t end; (end = stream.find("\r\n", start)) != std::string::npos; start = end + 2) {
    const std::string line = stream.substr(start, end - start);
    const std::size_t star = line.size() - 3;
    EXPECT_TRUE(line.size() > 4 && line[0] == '$' && line[star] == '*') << line;
    unsigned sum = 0;
    for (std::size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(line[i]);
    EXPECT_EQ(std::stoul(line.substr(star + 1), nullptr, 16), sum) << line;
    const Fields fields = Split(line.substr(1, star - 1));
    if (fields[0] == "GPRMC") seconds.emplace_back();
    if (seconds.empty()) continue;
    seconds.back().names.push_back(fields[0]);
    if (fields[0] == "PFLAA") seconds.back().targets.push_back(fields);
    if (fields[0] == "PFLAU") seconds.back().status = fields;
  }
  EXPECT_EQ(start, stream.size()) << "a line without CR LF at the end";
  return seconds;
}

std::string Stream(const FlightSimOptions& flight, const TrafficOptions& traffic) {
  SimSky sky(flight, traffic);
  std::string stream;
  while (!sky.Done()) {
    const SimSecond second = sky.Next();
    stream += SimNmea(second.fix, flight.talker) + second.traffic;
  }
  return stream;
}

std::vector<SimFix> PilotFixes(const FlightSimOptions& flight) {
  FlightSimulator pilot(flight);
  std::vector<SimFix> fixes;
  while (!pilot.Done()) fixes.push_back(pilot.Next());
  return fixes;
}

double Number(const std::string& field) { return std::stod(field); }
double Horizontal(const Fields& target) { return std::hypot(Number(target[2]), Number(target[3])); }

TEST(SimTraffic, EachFixIsFollowedByOneLineATargetAndTheStatusWithItsAlarm) {
  FlightSimOptions flight;
  flight.duration = 600;
  const std::vector<Second> seconds = Decode(Stream(flight, {5, 300}));
  ASSERT_EQ(seconds.size(), 600u);
  const std::regex id("[0-9A-F]{6}");
  int alarms = 0;
  for (const Second& second : seconds) {
    std::vector<std::string> names = {"GPRMC", "GPGGA"};
    names.insert(names.end(), second.targets.size(), "PFLAA");
    names.push_back("PFLAU");
    ASSERT_EQ(second.names, names);
    std::map<std::string, std::string> levels;  // by ID
    for (const Fields& target : second.targets) {
      ASSERT_EQ(target.size(), 12u);
      EXPECT_EQ(target[5], "2");
      EXPECT_TRUE(std::regex_match(target[6], id)) << target[6];
      EXPECT_EQ(target[11], target[6].starts_with("DF") ? "1" : "7");  // the crossing sailplane
      levels[target[6]] = target[1];
    }
    const Fields& status = second.status;
    ASSERT_EQ(status.size(), 11u);
    EXPECT_EQ(Fields(status.begin() + 1, status.begin() + 5),
              (Fields{std::to_string(second.targets.size()), "1", "2", "1"}));
    if (status[5] == "0") {
      EXPECT_EQ(Fields(status.begin() + 6, status.end()), (Fields{"", "0", "", "", ""}));
      continue;
    }
    ++alarms;
    EXPECT_EQ(levels[status[10]], status[5]) << "the alarm is a target's";
    EXPECT_EQ(status[7], "2");
    EXPECT_LE(std::fabs(Number(status[6])), 180);
  }
  EXPECT_EQ(alarms, 19) << "the crossing glider's, 18 s ahead and in the second it passes";
}

TEST(SimTraffic, WithoutTrafficTheStreamIsThePilotsOwnAndTrafficLeavesThePilotAsItWas) {
  FlightSimOptions flight;
  flight.duration = 900, flight.airspeedNoise = 0.4, flight.talker = "GN";
  std::string own;
  for (const SimFix& fix : PilotFixes(flight)) own += SimNmea(fix, flight.talker);
  EXPECT_EQ(Stream(flight, {}), own);
  std::string withoutTraffic;
  std::istringstream lines(Stream(flight, {6, 400}));
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with("$PFLA")) withoutTraffic += line + "\n";
  }
  EXPECT_EQ(withoutTraffic, own);
}

TEST(SimTraffic, TheSameSeedGivesTheSameTrafficToTheByteAndAnotherSeedOther) {
  FlightSimOptions flight;
  flight.duration = 300;
  const std::string first = Stream(flight, {4, 100});
  EXPECT_EQ(Stream(flight, {4, 100}), first);
  flight.seed = 2;
  EXPECT_NE(Stream(flight, {4, 100}), first);
}

// In a glide, in a thermal, as a sailplane, in a strong wind: the level
// each second must be exactly what the rule gives for the closest second.
TEST(SimTraffic, TheCrossingGliderPassesClosestAtItsSecondRaisingLevelsOneTwoThreeAndClearing) {
  FlightSimOptions glide, thermal, sailplane, windy;
  glide.duration = thermal.duration = sailplane.duration = windy.duration = 700;
  sailplane.airspeed = 25, sailplane.seed = 3;
  windy.windFrom = 10, windy.windSpeed = 9, windy.seed = 5;
  const auto circlingAt = [](const FlightSimOptions& flight, int second) {
    return PilotFixes(flight)[static_cast<std::size_t>(second)].circling;
  };
  const struct { const FlightSimOptions& flight; int closest; bool circling; } cases[] = {
      {glide, 60, false}, {thermal, 150, true}, {sailplane, 400, false}, {windy, 500, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.closest);
    EXPECT_EQ(circlingAt(c.flight, c.closest), c.circling);
    const std::vector<Second> seconds = Decode(Stream(c.flight, {0, c.closest}));
    std::map<int, double> distance;
    for (int s = 0; s < static_cast<int>(seconds.size()); ++s) {
      const Second& second = seconds[static_cast<std::size_t>(s)];
      const int ahead = c.closest - s;
      const std::string level = ahead < 0 || ahead > 18 ? "0" : ahead <= 8 ? "3" : ahead <= 12 ? "2" : "1";
      ASSERT_EQ(second.status[5], level) << "at " << s;
      if (second.targets.empty()) continue;
      ASSERT_EQ(second.targets.size(), 1u);
      EXPECT_EQ(second.targets[0][1], level) << s;
      distance[s] = Horizontal(second.targets[0]);
      // It comes from ahead on the right (seen from the pilot's course on
      // a glide; a circling pilot's course goes round) and passes in front.
      const double bearing = level == "0" ? 0 : Number(second.status[6]);
      if (ahead == 18 && !c.circling) {
        EXPECT_TRUE(bearing > 0 && bearing < 90) << bearing;
      }
      if (ahead == 0) {
        EXPECT_LT(std::fabs(bearing), 90);
        EXPECT_NEAR(Number(second.targets[0][4]), 4, 1);
      }
    }
    const auto nearest = std::min_element(distance.begin(), distance.end(),
                                          [](auto& a, auto& b) { return a.second < b.second; });
    EXPECT_EQ(nearest->first, c.closest);
    EXPECT_NEAR(nearest->second, 30, 1);
    EXPECT_GT(distance[c.closest + 60], 1000) << "it flies on and away";
    if (distance.begin()->first > 0) {
      EXPECT_GT(distance.begin()->second, 2900) << "first received far off";
    }
  }
}

TEST(SimTraffic, TheGaggleCirclesInThePilotsThermalsAndGlidesWithIt) {
  for (const double airspeed : {10.0, 25.0}) {
    SCOPED_TRACE(airspeed);
    FlightSimOptions flight;
    flight.duration = 2400, flight.airspeed = airspeed;
    const std::vector<SimFix> pilot = PilotFixes(flight);
    const std::vector<Second> seconds = Decode(Stream(flight, {6, -1}));
    std::set<std::string> ids;
    int inPhase = 0, circled = 0, glided = 0;
    for (std::size_t s = 0; s < seconds.size(); ++s) {
      inPhase = s > 0 && pilot[s].circling == pilot[s - 1].circling ? inPhase + 1 : 0;
      for (const Fields& target : seconds[s].targets) {
        ids.insert(target[6]);
        EXPECT_EQ(target[11], airspeed < 20 ? "7" : "1");
        EXPECT_LT(std::fabs(Number(target[4])), 400) << "a height of the gaggle, at " << s;
        const double turn = Number(target[8]), speed = Number(target[9]), climb = Number(target[10]);
        EXPECT_TRUE(speed >= airspeed * 0.75 - 5 && speed <= airspeed * 1.25 + 5) << speed << " at " << s;
        // A minute into a thermal every glider circles in it, as the pilot
        // does and turning its way; a minute into a glide all glide.
        if (pilot[s].circling && inPhase >= 60) {
          ++circled;
          EXPECT_LT(Horizontal(target), 8 * airspeed) << "in the pilot's thermal, at " << s;
          EXPECT_TRUE(turn * pilot[s].turnRate > 0 && std::fabs(turn) >= 14 && std::fabs(turn) <= 22) << turn;
          EXPECT_NEAR(climb, pilot[s].nextVerticalSpeed, 0.8) << s;
        } else if (!pilot[s].circling && inPhase >= 60) {
          ++glided;
          EXPECT_LE(std::fabs(turn), 12) << s;
          EXPECT_TRUE(climb < 0 && climb > -2) << climb << " at " << s;
        }
      }
    }
    EXPECT_EQ(ids.size(), 6u);
    EXPECT_GT(circled, 6 * 600);
    EXPECT_GT(glided, 6 * 100);
  }
}

// What `flight-sim run` sends on its port, read as the instrument reads
// it, until the simulator ends.
std::string Received(const std::vector<std::string>& options) {
  TempDir storage;
  std::vector<std::string> args = {FLIGHT_SIM_EXE, "run", "--storage", storage.Path().string(), "--speed", "1000"};
  args.insert(args.end(), options.begin(), options.end());
  const pid_t sim = ::fork();
  if (sim == 0) {
    ::dup2(::open("/dev/null", O_WRONLY), STDERR_FILENO);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  const auto port = storage / "COM7";
  for (int i = 0; i < 1000 && !std::filesystem::is_symlink(port); ++i) ::usleep(10000);
  const int fd = ::open(port.c_str(), O_RDONLY | O_NOCTTY);
  std::string bytes;
  char buffer[4096];
  for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;) bytes.append(buffer, static_cast<std::size_t>(n));
  if (fd >= 0) ::close(fd);
  int status = -1;
  ::waitpid(sim, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  return bytes;
}

std::vector<std::string> TrafficLines(const std::string& stream) {
  std::vector<std::string> lines;
  std::istringstream in(stream);
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("$PFLA")) lines.push_back(line);
  }
  return lines;
}

TEST(SimTraffic, TheRunningReceiverSendsTheTrafficAndARecordingsTrafficPassesThrough) {
  const std::string flown = Received({"--duration", "40", "--gaggle", "2", "--crossing", "30"});
  EXPECT_EQ(flown, "\r\n" + Stream({.duration = 40}, {2, 30}));
  SKIP_WITHOUT_RECORDINGS();
  const std::string capture = ReadFileBytes(RecordingPath("glider-flarm-capture.nmea"));
  const std::vector<std::string> traffic = TrafficLines(capture);
  EXPECT_EQ(traffic.size(), 470u + 1907u);
  EXPECT_EQ(TrafficLines(Received({"--file", RecordingPath("glider-flarm-capture.nmea").string()})), traffic);
}

// The writer's rounding and choice of the most urgent alarm, against lines
// checksummed by the tests' own Sentence().
TEST(SimTraffic, TheSentencesRoundAsTheDeviceDoesAndTheStatusNamesTheMostUrgentAlarm) {
  SimTarget behind{{0xDD0A1B, 7, {}, 0, 359.6, 9.5, -17.6, -0.04}, {-30.4, -200.5}, -12.5, {}};
  SimTarget ahead{{0xDF00FF, 1, {}, 0, 180, 30, 0, -1}, {40, 300}, 8, {2, 10}};
  SimTarget nearer = ahead;
  nearer.aircraft.id = 0xDF0100, nearer.relative = {-20, 100}, nearer.alarm = {2, 11};
  EXPECT_EQ(SimTrafficSentences({behind}, 10),
            Sentence("PFLAA,0,-201,-30,-13,2,DD0A1B,0,-18,10,0.0,7") + Sentence("PFLAU,1,1,2,1,0,,0,,,"));
  EXPECT_EQ(SimTrafficSentences({behind, nearer, ahead}, 350),
            Sentence("PFLAA,0,-201,-30,-13,2,DD0A1B,0,-18,10,0.0,7") +
                Sentence("PFLAA,2,100,-20,8,2,DF0100,180,0,30,-1.0,1") +
                Sentence("PFLAA,2,300,40,8,2,DF00FF,180,0,30,-1.0,1") +
                Sentence("PFLAU,3,1,2,1,2,18,2,8,303,DF00FF"));
  EXPECT_EQ(SimTrafficSentences({}, 0), Sentence("PFLAU,0,1,2,1,0,,0,,,"));
}

}  // namespace
