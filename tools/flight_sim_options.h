// The command line of flight-sim, separate so that tests can check it.
#pragma once

#include <filesystem>
#include <string>

#include "tools/flight_sim.h"

enum class SimMode { kNmea, kRun };

struct SimOptions {
  SimMode mode = SimMode::kNmea;
  FlightSimOptions flight;
  std::filesystem::path storage;  // run: the storage folder of the simulation
  int com = 7;                    // run: COM<n>
  double speed = 1;               // run: seconds of flight per second
  std::string file;               // run: a recorded stream in place of the flight
  double baroNoise = 0.012;       // run: the barometer's noise [hPa RMS], an MS5611's at its finest
};

inline constexpr const char* kSimUsage =
    "usage: flight-sim nmea [FLIGHT]\n"
    "       flight-sim run --storage DIR [--com N] [--speed X] [--baro-noise HPA]\n"
    "                      [--file F.nmea | FLIGHT]\n"
    "FLIGHT: [--seed N] [--wind FROM,SPEED] [--airspeed M/S] [--airspeed-noise M/S]\n"
    "        [--duration SECONDS] [--start HH:MM:SS] [--place LAT,LON] [--talker GP|GN]\n"
    "        [--vertical RATE:SECONDS[,RATE:SECONDS...]]\n";

// "" when the arguments were understood, else what was wrong.
std::string ParseSimOptions(int argc, char** argv, SimOptions& options);
