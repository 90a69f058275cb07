#!/usr/bin/env bash
# What a large airspace file costs a replay: a simulated one-hour flight
# (through the file's region) replayed by flight-replay without an airspace
# file and with the benchmarks' generated one (10 000 airspaces, about
# 2 000 000 border points, 50 MB): the best of five wall and processor
# times of each, and the difference (goal: under 1 s more). Then the
# airspace library's own benchmark: the load, its peak memory and the
# check at each fix.
#   scripts/bench-airspace.sh
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target flight-replay flight-sim openair-file airspace_bench >/dev/null
work=build/bench-airspace
rm -rf "$work" && mkdir -p "$work/plain" "$work/airspace"
build/release/bench/openair-file "$work/Airspace.txt" | sed 's/^/airspace file: /'
build/release/tools/flight-sim nmea --duration 3600 >"$work/one-hour.nmea"

best() {  # the best of five runs of a command: "WALL CPU" in seconds
  local best_wall=999 best_cpu=999 start ticks
  for _ in 1 2 3 4 5; do
    start=$EPOCHREALTIME
    TIMEFORMAT='%U %S'
    ticks=$( { time "$@" >/dev/null 2>&1; } 2>&1 )
    read -r wall cpu < <(awk -v a="$start" -v b="$EPOCHREALTIME" -v t="$ticks" \
                           'BEGIN { split(t, u, " "); print b - a, u[1] + u[2] }')
    best_wall=$(awk -v a="$wall" -v b="$best_wall" 'BEGIN { print (a < b) ? a : b }')
    best_cpu=$(awk -v a="$cpu" -v b="$best_cpu" 'BEGIN { print (a < b) ? a : b }')
  done
  echo "$best_wall $best_cpu"
}
echo "cores: $(nproc)"
read -r plain_wall plain_cpu < <(best build/release/tools/flight-replay --out "$work/plain" "$work/one-hour.nmea")
read -r with_wall with_cpu < <(best build/release/tools/flight-replay --out "$work/airspace" \
                                     --airspace "$work/Airspace.txt" "$work/one-hour.nmea")
warnings=$(build/release/tools/flight-replay --out "$work/airspace" --airspace "$work/Airspace.txt" \
             "$work/one-hour.nmea" 2>/dev/null | grep -c ' airspace ' || true)
printf 'one-hour replay without airspace: %.3f s wall, %.3f s CPU\n' "$plain_wall" "$plain_cpu"
printf 'one-hour replay with the 50 MB file: %.3f s wall, %.3f s CPU (%s warning lines)\n' \
       "$with_wall" "$with_cpu" "$warnings"
printf 'the file costs the replay: %.3f s wall, %.3f s CPU more (goal: under 1 s)\n' \
       "$(awk -v a="$with_wall" -v b="$plain_wall" 'BEGIN { print a - b }')" \
       "$(awk -v a="$with_cpu" -v b="$plain_cpu" 'BEGIN { print a - b }')"
build/release/bench/airspace_bench
