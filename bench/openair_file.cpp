// openair-file: writes the airspace benchmarks' large file (10 000
// airspaces, about 2 000 000 border points over Central Europe, 50 MB), for
// the scripts that fly the whole program or a replay with it loaded.
//   openair-file PATH [AIRSPACES]
#include <cstdio>
#include <cstdlib>

#include "bench/openair_generator.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) return std::fprintf(stderr, "usage: openair-file PATH [AIRSPACES]\n"), 2;
  const long airspaces = argc == 3 ? std::atol(argv[2]) : 10000;
  if (airspaces <= 0) return std::fprintf(stderr, "openair-file: AIRSPACES is a count above 0\n"), 2;
  // The benchmark's own seed: the same file as airspace_bench loads.
  const GeneratedAirspace written = WriteOpenAirFile(argv[1], static_cast<std::size_t>(airspaces), 26);
  if (written.bytes == 0) return std::fprintf(stderr, "openair-file: cannot write %s\n", argv[1]), 1;
  std::printf("%zu airspaces, %zu DP lines, %.1f MB\n", written.airspaces, written.pointLines,
              static_cast<double>(written.bytes) / 1e6);
  return 0;
}
