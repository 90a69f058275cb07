// Shared pieces of the window tests: waiting for the window thread with a
// deadline, and the sentences of one fix.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "tests/support/pty_receiver.h"

// Runs the window thread's events until `done` holds or the deadline passes;
// whether it held.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds deadline = std::chrono::seconds(10));

// A GPRMC and a GPGGA sentence of one fix at hhmmss, 22.4 kn, 545.4 m.
std::string FixSentences(const std::string& hhmmss);
