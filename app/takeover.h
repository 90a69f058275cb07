// A run that takes over from the one before it in the same flight: the
// instrument started without a screen turns itself into a new run on the
// screen that has come (a platform cannot be changed while the program
// runs). It does so between two fixes, with the acquisition stopped: the
// logs, closed whole, are appended to by the new run, and the GPS port is
// handed over open, so the bytes that come meanwhile wait in the driver and
// no fix is lost. The NMEA output's server is handed over open too, with
// the apps connected to it: they stay connected, and one that connects
// meanwhile waits in its backlog. The flight's computations (vario, wind,
// thermal) start afresh.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "output/tcp_server.h"

struct Takeover {
  std::filesystem::path track, accel;   // the logs to go on with
  int gpsPort = -1;                     // the open GPS port, -1 for none
  ServerSockets output;                 // the NMEA output's server, if any
};

// How this run was started: the platform asked for, whether none of its
// screens was there, and what it takes over.
struct Launch {
  std::string wantedPlatform;
  bool headless = false;
  std::optional<Takeover> takeover;
};
Launch& ThisLaunch();

// The takeover that the arguments hand to this run, if any.
std::optional<Takeover> TakeoverFromArguments(int argc, char** argv);

// Replaces the running program by itself, handing `takeover` over. Returns
// only when that failed, with the errno.
int ExecTakeover(const Takeover& takeover);
