// flight-sim: a simulated soaring flight, for demonstrations and tests.
//
//   flight-sim nmea [FLIGHT]       the flight's NMEA stream on standard output
//   flight-sim run --storage DIR [--com N] [--speed X] [--baro-noise HPA]
//                  [--serve PORT] [--file F.nmea | FLIGHT]
//                                  a receiver on DIR/COM<N> (a pseudo-terminal)
//                                  and the sensors in DIR/sys, for the running
//                                  instrument, X seconds of flight a second;
//                                  the barometer about 100 times a second;
//                                  DIR/Output.txt naming TCP port PORT
// FLIGHT: --seed N  --wind FROM,SPEED  --duration SECONDS  --start HH:MM:SS
//         --place LAT,LON  --talker GP|GN  --vertical RATE:SECONDS[,...]
//         --gaggle N  --crossing SECOND   (traffic, and a traffic device's sentences)
//   flight-sim --help | --version
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <thread>

#include "base/number_text.h"
#include "base/program_version.h"
#include "flight/nmea_reader.h"
#include "tools/flight_sim.h"
#include "settings/output_file.h"
#include "tools/flight_sim_options.h"
#include "tools/sim_gps_port.h"
#include "tools/sim_output_file.h"
#include "tools/sim_pacer.h"
#include "tools/sim_sensor_tree.h"
#include "tools/sim_sky.h"

namespace {

volatile std::sig_atomic_t g_bStop = 0;
void OnStopSignal(int) { g_bStop = 1; }

void InstallStopSignals() {
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;  // no SA_RESTART: a blocked send returns
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

bool Stopped() { return g_bStop != 0; }

int BatteryAfter(int seconds) { return std::max(5, 95 - seconds / 60); }

// The moment a ramp of the vertical speed starts, on the wall clock, for
// a script that sets it beside the instrument's tones.
void LogVerticalSpeedChange(double from, double to) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::fputs(SimVerticalSpeedLine(from, to, now).c_str(), stderr);
}

void RunFlight(const SimOptions& options, SimSensorTree& sensors, SimGpsPort& port) {
  SimSky flight(options.flight, options.traffic);
  SimPacer pacer(options.speed);
  for (int elapsed = 0; !flight.Done() && !g_bStop; ++elapsed) {
    const SimSecond second = flight.Next();
    const SimFix& fix = second.fix;
    sensors.UpdateAttitude(fix.heading, fix.bank, BatteryAfter(elapsed));
    port.Send(SimNmea(fix, options.flight.talker) + second.traffic);
    // Never ahead of the instrument: the barometer moves on only once it
    // has taken this fix.
    port.WaitUntilRead(Stopped);
    // The barometer follows the altitude through the second, from the
    // fix's own altitude to just short of the next fix's.
    pacer.FlySecond(
        [&](double t) {
          sensors.UpdatePressure(fix.AltitudeAfter(t));
          if (t == 0 && fix.nextVerticalSpeed != fix.verticalSpeed) {
            LogVerticalSpeedChange(fix.verticalSpeed, fix.nextVerticalSpeed);
          }
        },
        Stopped);
  }
}

// A recorded stream, paced by its RMC sentences; the compass follows its
// course, and the barometer goes from one GGA altitude to the next over
// the second after it.
void RunRecording(const SimOptions& options, const std::string& recording, SimSensorTree& sensors,
                  SimGpsPort& port) {
  std::istringstream lines(recording);
  SimPacer pacer(options.speed);
  // Before the first GGA the barometer reads 0, as a replay's GPS-fed one
  // does; the first GGA is no climb from there, but where the ramps start.
  double from = 0, to = 0, course = 0;
  bool bAltitude = false;
  int elapsed = 0;
  for (std::string line; !g_bStop && std::getline(lines, line);) {
    const std::size_t dollar = line.find('$');
    const NmeaKind kind = dollar == std::string::npos ? NmeaKind::kOther
                                                      : NmeaSentenceKind(std::string_view(line).substr(dollar));
    if (kind == NmeaKind::kRmc) {
      port.WaitUntilRead(Stopped);
      const bool flown =
          pacer.FlySecond([&](double t) { sensors.UpdatePressure(from + (to - from) * t); }, Stopped);
      if (!flown) break;
      from = to;
      sensors.UpdateAttitude(course, 0, BatteryAfter(elapsed++));
      course = ReadNumber(NmeaField(line.substr(dollar), 9), 6);
    }
    port.Send(line + "\n");
    if (kind == NmeaKind::kGga) {
      to = ReadNumber(NmeaField(line.substr(dollar), 10), 7);
      if (!bAltitude) from = to, bAltitude = true;
    }
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
    // Before the port: the instrument, started once the port is there,
    // finds it.
    std::optional<SimOutputFile> output;
    if (options.servePort != 0) {
      output.emplace(options.storage, options.servePort);
      std::fprintf(stderr, output->Written() ? "flight-sim: %s names TCP port %d\n"
                                             : "flight-sim: %s is there already: left as it is (not port %d)\n",
                   (options.storage / kOutputFileName).c_str(), options.servePort);
    }
    SimSensorTree sensors(options.storage, options.baroNoise, options.flight.seed);
    sensors.UpdatePressure(options.flight.altitude);
    sensors.UpdateAttitude(0, 0, BatteryAfter(0));
    SimGpsPort port(options.storage, options.com);
    std::fprintf(stderr, "flight-sim: receiver on %s (%s), sensors in %s\n",
                 (options.storage / ("COM" + std::to_string(options.com))).c_str(),
                 port.Device().c_str(), (options.storage / "sys").c_str());
    // The instrument's test read at its open takes one byte: a line end.
    // The flight starts when the instrument reads, so that its barometer
    // and its fixes keep step from the first second.
    port.Send("\r\n");
    if (!port.WaitUntilRead(Stopped)) return 0;
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
  if (options.help) return std::fputs(kSimHelp, stdout) >= 0 ? 0 : 1;
  if (options.version) return std::printf("flight-sim %s\n", kProgramVersion) > 0 ? 0 : 1;
  if (options.mode == SimMode::kRun) return Run(options);
  SimSky flight(options.flight, options.traffic);
  while (!flight.Done()) {
    const SimSecond second = flight.Next();
    std::fputs((SimNmea(second.fix, options.flight.talker) + second.traffic).c_str(), stdout);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
