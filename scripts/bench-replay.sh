#!/usr/bin/env bash
# flight-replay against gpsbabel (-i nmea -o igc) on the same input, side by
# side in one run: the paraglider recording (when ../shared is beside the
# project) and a simulated 10-hour flight. Prints the best of five wall
# times of each and their ratio.
#   scripts/bench-replay.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh gpsbabel
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target flight-replay flight-sim >/dev/null
work=build/bench-replay
rm -rf "$work" && mkdir -p "$work"
build/release/tools/flight-sim nmea --duration 36000 >"$work/ten-hours.nmea"
inputs=("$work/ten-hours.nmea")
[ -f ../shared/data/paraglider-thermals.nmea ] && inputs=(../shared/data/paraglider-thermals.nmea "${inputs[@]}")

best() {  # the best of five wall-clock times of a command, in seconds
  local best=999 start t
  for _ in 1 2 3 4 5; do
    start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1
    t=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { print b - a }')
    best=$(awk -v a="$t" -v b="$best" 'BEGIN { print (a < b) ? a : b }')
  done
  echo "$best"
}
echo "cores: $(nproc)"
for input in "${inputs[@]}"; do
  replay=$(best build/release/tools/flight-replay --out "$work/replay" "$input")
  babel=$(best gpsbabel -i nmea -f "$input" -o igc -F "$work/gpsbabel.igc")
  printf '%-40s flight-replay %.3f s  gpsbabel %.3f s  ratio %.3f\n' "$(basename "$input")" \
         "$replay" "$babel" "$(awk -v a="$replay" -v b="$babel" 'BEGIN { print a / b }')"
done
