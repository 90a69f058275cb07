#include "base/airspace_beeps.h"

#include <atomic>

#include "base/flight_values.h"

namespace {
std::atomic<unsigned long> g_nAirspaceBeepRequests{0};
}  // namespace

void RequestAirspaceBeeps() {
  ++g_nAirspaceBeepRequests;
  WakeFastVarioWaiters();
}

unsigned long AirspaceBeepRequests() { return g_nAirspaceBeepRequests.load(); }
