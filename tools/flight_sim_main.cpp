// flight-sim: a simulated soaring flight, for demonstrations and tests.
//
//   flight-sim nmea [FLIGHT]       the flight's NMEA stream on standard output
//   flight-sim run --storage DIR [--com N] [--speed X] [--file F.nmea | FLIGHT]
//                                  a receiver on DIR/COM<N> (a pseudo-terminal)
//                                  and the sensors in DIR/sys, for the running
//                                  instrument, X seconds of flight a second
// FLIGHT: --seed N  --wind FROM,SPEED  --duration SECONDS  --start HH:MM:SS
//         --place LAT,LON  --talker GP|GN
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "base/number_text.h"
#include "flight/nmea_reader.h"
#include "tools/flight_sim.h"
#include "tools/flight_sim_options.h"
#include "tools/sim_gps_port.h"
#include "tools/sim_sensor_tree.h"

namespace {

volatile std::sig_atomic_t g_bStop = 0;
void OnStopSignal(int) { g_bStop = 1; }

void InstallStopSignals() {
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;  // no SA_RESTART: a blocked send returns
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

// Waits out one simulated second at `speed` seconds of flight a second.
void Pace(std::chrono::steady_clock::time_point& next, double speed) {
  next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(1.0 / speed));
  std::this_thread::sleep_until(next);
}

int BatteryAfter(int seconds) { return std::max(5, 95 - seconds / 60); }

void RunFlight(const SimOptions& options, SimSensorTree& sensors, SimGpsPort& port) {
  FlightSimulator flight(options.flight);
  auto next = std::chrono::steady_clock::now();
  double altitude = options.flight.altitude;
  for (int elapsed = 0; !flight.Done() && !g_bStop; ++elapsed) {
    const SimFix fix = flight.Next();
    // The sensors change before the fix is sent, so the instrument reads
    // them with it. The barometer has the altitude of the GGA before, as a
    // replay's GPS-fed barometer has.
    sensors.Update(altitude, fix.heading, fix.bank, BatteryAfter(elapsed));
    port.Send(SimNmea(fix, options.flight.talker));
    altitude = fix.altitude;
    // Never ahead of the instrument: the next sensor values wait until it
    // has taken this fix.
    port.WaitUntilRead([] { return g_bStop != 0; });
    Pace(next, options.speed);
  }
}

// A recorded stream, paced by its RMC sentences; the barometer follows its
// GGA altitudes and the compass its course.
void RunRecording(const SimOptions& options, const std::string& recording, SimSensorTree& sensors,
                  SimGpsPort& port) {
  std::istringstream lines(recording);
  auto next = std::chrono::steady_clock::now();
  double altitude = 0, course = 0;
  int elapsed = 0;
  for (std::string line; !g_bStop && std::getline(lines, line);) {
    const std::size_t dollar = line.find('$');
    const NmeaKind kind = dollar == std::string::npos ? NmeaKind::kOther
                                                      : NmeaSentenceKind(std::string_view(line).substr(dollar));
    if (kind == NmeaKind::kRmc) {
      port.WaitUntilRead([] { return g_bStop != 0; });
      Pace(next, options.speed);
      sensors.Update(altitude, course, 0, BatteryAfter(elapsed++));
      course = ReadNumber(NmeaField(line.substr(dollar), 9), 6);
    }
    port.Send(line + "\n");
    if (kind == NmeaKind::kGga) altitude = ReadNumber(NmeaField(line.substr(dollar), 10), 7);
  }
}

int Run(const SimOptions& options) {
  std::string recording;
  if (!options.file.empty()) {
    std::ifstream in(options.file, std::ios::binary);
    if (!in) return std::fprintf(stderr, "flight-sim: cannot read %s\n", options.file.c_str()), 1;
    recording.assign(std::istreambuf_iterator<char>(in), {});
  }
  std::error_code error;
  std::filesystem::create_directories(options.storage, error);
  try {
    InstallStopSignals();
    SimSensorTree sensors(options.storage);
    sensors.Update(options.flight.altitude, 0, 0, BatteryAfter(0));
    SimGpsPort port(options.storage, options.com);
    std::fprintf(stderr, "flight-sim: receiver on %s (%s), sensors in %s\n",
                 (options.storage / ("COM" + std::to_string(options.com))).c_str(),
                 port.Device().c_str(), (options.storage / "sys").c_str());
    // The instrument's test read at its open takes one byte: a line end.
    // The flight starts when the instrument reads, so that its barometer
    // and its fixes keep step from the first second.
    port.Send("\r\n");
    if (!port.WaitUntilRead([] { return g_bStop != 0; })) return 0;
    if (recording.empty()) {
      RunFlight(options, sensors, port);
    } else {
      RunRecording(options, recording, sensors, port);
    }
    // Give the instrument a moment for the last sentences before the
    // receiver and the sensors go away.
    if (!g_bStop) std::this_thread::sleep_for(std::chrono::milliseconds(500));
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "flight-sim: %s\n", failure.what());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  SimOptions options;
  if (const std::string problem = ParseSimOptions(argc, argv, options); !problem.empty()) {
    std::fprintf(stderr, "flight-sim: %s\n%s", problem.c_str(), kSimUsage);
    return 2;
  }
  if (options.mode == SimMode::kRun) return Run(options);
  FlightSimulator flight(options.flight);
  while (!flight.Done()) std::fputs(SimNmea(flight.Next(), options.flight.talker).c_str(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
