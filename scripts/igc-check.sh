#!/usr/bin/env bash
# Re-flies every recording of ../shared/data (or the NMEA files named) with
# flight-replay, both barometer choices, and reads each track log with an
# independent IGC reader: the npm package igc-parser in strict mode, which
# rejects a whole file for one malformed line. Installs Node.js, npm and
# igc-parser (into build/igc-check) when they are missing.
#   scripts/igc-check.sh [FILE.nmea ...]     exit 0 when every file parses
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/install-igc-parser.sh
work=build/igc-check
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target flight-replay >/dev/null

recordings=("$@")
[ ${#recordings[@]} -gt 0 ] || recordings=(../shared/data/*.nmea)
logs=()
for recording in "${recordings[@]}"; do
  for baro in none gps; do
    out="$work/out/$(basename "$recording" .nmea)-$baro"
    rm -rf "$out"
    build/release/tools/flight-replay --baro "$baro" --out "$out" "$recording" 2>/dev/null
    logs+=("$out"/FlyData/*.IGC)
  done
done
NODE_PATH="$work/node_modules" node scripts/igc_check.js "${logs[@]}"
