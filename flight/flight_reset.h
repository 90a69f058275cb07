// A new flight in the same process (replays, benchmarks, tests): the shared
// flight values and the memories of the computations (the vario's ring of
// altitudes, the wind's course sectors) back to their start values, and no
// airspace borders on the map.
#pragma once

void ResetFlight();
