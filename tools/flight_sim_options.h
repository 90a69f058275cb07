// The command line of flight-sim, separate so that tests can check it.
#pragma once

#include <filesystem>
#include <string>

#include "tools/flight_sim.h"
#include "tools/sim_sky.h"

enum class SimMode { kNmea, kRun };

struct SimOptions {
  SimMode mode = SimMode::kNmea;
  FlightSimOptions flight;
  TrafficOptions traffic;
  std::filesystem::path storage;  // run: the storage folder of the simulation
  int com = 7;                    // run: COM<n>
  double speed = 1;               // run: seconds of flight per second
  std::string file;               // run: a recorded stream in place of the flight
  double baroNoise = 0.012;       // run: the barometer's noise [hPa RMS], an MS5611's at its finest
  int servePort = 0;              // run: the TCP port Output.txt names for the instrument; 0: none
  bool help = false;              // --help: print kSimHelp and end
  bool version = false;           // --version: print the version and end
};

inline constexpr const char* kSimUsage =
    "usage: flight-sim nmea [FLIGHT]\n"
    "       flight-sim run --storage DIR [--com N] [--speed X] [--baro-noise HPA]\n"
    "                      [--serve PORT] [--file F.nmea | FLIGHT]\n"
    "FLIGHT: [--seed N] [--wind FROM,SPEED] [--airspeed M/S] [--airspeed-noise M/S]\n"
    "        [--duration SECONDS] [--start HH:MM:SS] [--place LAT,LON] [--talker GP|GN]\n"
    "        [--vertical RATE:SECONDS[,RATE:SECONDS...]] [--gaggle N] [--crossing SECOND]\n";

// --help: what each command and option does (the manual page is made from it).
inline constexpr const char* kSimHelp =
    "Usage: flight-sim nmea [FLIGHT]\n"
    "  or:  flight-sim run --storage DIR [OPTION]... [--file F.nmea | FLIGHT]\n"
    "A simulated soaring flight for the flight instrument: a paraglider at 36 km/h\n"
    "through the air, glides and thermals drifting in the wind, and traffic.\n"
    "\n"
    "  nmea    write the flight as NMEA (one RMC and one GGA a second) on standard\n"
    "          output, as fast as it is made\n"
    "  run     be a receiver and sensors for the running instrument: DIR/COM<N> is a\n"
    "          pseudo-terminal sending the flight, DIR/sys a sensor tree (barometer\n"
    "          with its temperature, compass, accelerometer, battery); both go when\n"
    "          it ends\n"
    "\n"
    "Options of run:\n"
    "      --storage DIR        the instrument's storage folder (required)\n"
    "      --com N              the port's number, 1 to 9 (default 7)\n"
    "      --speed X            X seconds of flight a second (default 1)\n"
    "      --baro-noise HPA     the barometer's noise, hPa RMS, 0 to below 1\n"
    "                           (default 0.012)\n"
    "      --serve PORT         write DIR/Output.txt naming TCP port PORT, so that\n"
    "                           the instrument started on DIR serves its NMEA\n"
    "                           stream there (nc localhost PORT); an Output.txt\n"
    "                           already in DIR is left as it is\n"
    "      --file F.nmea        stream a recording, paced by its RMC sentences,\n"
    "                           in place of the simulated flight\n"
    "\n"
    "FLIGHT options:\n"
    "      --seed N             the random flight's seed; the same seed gives the\n"
    "                           same flight (default 1)\n"
    "      --wind FROM,SPEED    where the wind comes from (degrees) and its speed\n"
    "                           (m/s, below 30; default 240,4)\n"
    "      --airspeed M/S       the glider's airspeed, 5 to 80 m/s (default 10)\n"
    "      --airspeed-noise M/S the airspeed's random change from fix to fix, m/s\n"
    "                           RMS, 0 to below 5 (default 0)\n"
    "      --duration SECONDS   the flight's length (default 1800)\n"
    "      --start HH:MM:SS     the UTC time of the first fix (default 12:00:00)\n"
    "      --place LAT,LON      where it starts, degrees, south and west negative\n"
    "                           (default 46.375,8.033)\n"
    "      --talker GP|GN       the sentences' talker (default GP)\n"
    "      --vertical RATE:SECONDS[,RATE:SECONDS...]\n"
    "                           in place of the random glides and thermals: phases\n"
    "                           of a vertical speed (m/s, within 20) for whole\n"
    "                           seconds, flown in order and again; a climb is circled\n"
    "      --gaggle N           N gliders (0 to 30) fly with the pilot: they circle in\n"
    "                           the pilot's thermals at other heights and glide\n"
    "                           about the pilot between them; a traffic device's\n"
    "                           $PFLAA and $PFLAU follow each second's fix\n"
    "      --crossing SECOND    a glider crosses the pilot's path: it comes from\n"
    "                           ahead on the right and passes 30 m from the pilot,\n"
    "                           4 m above, SECOND seconds after the first fix\n"
    "                           (within the flight), and flies on\n"
    "\n"
    "  -h, --help               show this help and exit\n"
    "      --version            show the version and exit\n"
    "\n"
    "Traffic alarm: each aircraft's closest approach to the pilot is the second,\n"
    "from one ago to 19 ahead, at which their true paths come nearest. When it is\n"
    "now or up to 18 s ahead and they will then be less than 50 m apart\n"
    "horizontally and less than 30 m vertically, the alarm level is 1 from 18 s\n"
    "before it, 2 from 12 s, 3 from 8 s; it ends the second after. The device\n"
    "receives aircraft within 3 km. The traffic is drawn from generators of its\n"
    "own: the pilot's flight stays the same without it.\n";


// "" when the arguments were understood, else what was wrong.
std::string ParseSimOptions(int argc, char** argv, SimOptions& options);
