#!/usr/bin/env bash
# Installs what is missing, builds the instrument and re-flies a recorded
# flight through it: scripts/demo.sh [FILE.nmea]
# Without FILE it takes the paraglider recording beside the project, when
# there is one. The logs go to build/replay/FlyData.
set -euo pipefail
cd "$(dirname "$0")/.."

recording="${1:-../shared/data/paraglider-thermals.nmea}"
if [ ! -f "$recording" ]; then
  echo "demo: no recording '$recording'; name one: scripts/demo.sh FILE.nmea" >&2
  exit 1
fi

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build/release --target flight-replay
build/release/tools/flight-replay --out build/replay --baro gps "$recording"
