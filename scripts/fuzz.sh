#!/usr/bin/env bash
# Fuzzes the GPS byte loop (with the sentence reader, the traffic sentences
# and the log records), the settings-file reader and the airspace reader
# with libFuzzer, under AddressSanitizer and UndefinedBehaviorSanitizer
# (clang), one target after the other, from a seed corpus made by flight-sim
# (with traffic), traffic sentences in every shape real devices send, the
# recordings when ../shared is beside the project, and the airspace files
# of fuzz/airspace-seeds. Prints the executions each target
# reached, how many a second and how many a processor second (what
# compares on a shared machine); exit 0 when no fault was found. Crashing
# inputs are kept in build/fuzz/.
#   scripts/fuzz.sh [SECONDS]   all targets, SECONDS each (default 1800: what
#                               a change to either is run for before it is
#                               called done; the settings file's round trip
#                               once took four minutes to break)
#   scripts/fuzz.sh [--target acquisition|settings|airspace] [--seconds S | --runs N] [--jobs J]
#                               one target (or all) for S seconds or N inputs,
#                               in J fuzzing processes at once (default 1)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

targets=(acquisition settings airspace) limit=(-max_total_time=1800) jobs=1
while [ $# -gt 0 ]; do
  case $1 in
    --target) targets=("$2"); shift 2 ;;
    --seconds) limit=(-max_total_time="$2"); shift 2 ;;
    --runs) limit=(-runs="$2"); shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    [0-9]*) limit=(-max_total_time="$1"); shift ;;
    *) echo "usage: scripts/fuzz.sh [SECONDS] | [--target acquisition|settings|airspace] [--seconds S | --runs N] [--jobs J]" >&2
       exit 2 ;;
  esac
done
for target in "${targets[@]}"; do
  case $target in acquisition|settings|airspace) ;; *) echo "fuzz: no target '$target'" >&2; exit 2 ;; esac
done

scripts/install-deps.sh clang
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target flight-sim >/dev/null
# The byte loop is fuzzed without libFuzzer tracing its integer
# comparisons: side by side, that ran 1.7 times as many inputs in the same
# time and reached as much of the code (its numbers arrive as text, which
# traced values cannot be put back into); the stream's words come as a
# dictionary instead. The settings and airspace files keep them.
declare -A build=([acquisition]=build/fuzz-gps [settings]=build/fuzz [airspace]=build/fuzz)
declare -A comparisons=([acquisition]=OFF [settings]=ON [airspace]=ON)
declare -A options=([acquisition]="-dict=$root/fuzz/gps.dict" [settings]="" [airspace]="")
for target in "${targets[@]}"; do
  CXX=clang++ cmake -S . -B "${build[$target]}" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLIGHT_FUZZ=ON \
        -DFLIGHT_FUZZ_COMPARISONS="${comparisons[$target]}" \
        -DFLIGHT_BUILD_APP=OFF -DFLIGHT_BUILD_TESTS=OFF -DFLIGHT_BUILD_BENCHMARKS=OFF >/dev/null
  cmake --build "${build[$target]}" --target "${target}_fuzz" >/dev/null
done

work=build/fuzz
sim=build/release/tools/flight-sim
rm -rf "$work/seeds-gps" "$work/seeds-settings" && mkdir -p "$work/seeds-gps" "$work/seeds-settings"
for seed in 1 2 3; do
  $sim nmea --seed "$seed" --duration 20 --talker GN >"$work/seeds-gps/sim-$seed.nmea"
done
$sim nmea --duration 20 --start 23:59:50 --place -33.9,-70.6 >"$work/seeds-gps/south-west.nmea"
# Traffic, each within the 4 KiB of an input: a gaggle; a glider crossing,
# from 13 s before it passes (its alarm levels 1, 2 and 3) to after.
$sim nmea --duration 8 --gaggle 3 >"$work/seeds-gps/traffic-gaggle.nmea"
$sim nmea --duration 23 --crossing 20 | sed -n '/^\$GPRMC,120007/,$p' >"$work/seeds-gps/traffic-crossing.nmea"
$sim nmea --seed 2 --duration 12 --talker GN --airspeed 25 --gaggle 2 --crossing 6 >"$work/seeds-gps/traffic-sailplanes.nmea"

# "$body*hh" and CR LF, hh the exclusive or of the body's bytes.
sentence() {
  local body=$1 sum=0 code i
  for ((i = 0; i < ${#body}; i++)); do
    printf -v code '%d' "'${body:i:1}"
    sum=$((sum ^ code))
  done
  printf '$%s*%02X\r\n' "$body" "$sum"
}
# Traffic sentences in the shapes real devices send, between fixes: alarm
# fields empty and absent, level 4 (an information alert), an obstacle,
# stealth targets, a transponder's distance alone, names after "!", newer
# fields at the end, numbers out of range or not numbers at all.
shapes=(
  "PFLAU,3,1,2,1,0,,0,,," "PFLAU,2,1,2,1,0,,0,," "PFLAU,1,1,2,1,0" "PFLAU,2,1,2,1,2,-30,2,20,300,DDA5BA"
  "PFLAU,1,1,2,1,3,999,2,-20,50000,DD8F12" "PFLAU,1,1,2,1,4,,0,,," "PFLAU,1,1,2,1,1,45,3,,,"
  "PFLAU,0,0,0,0,0,,0,,,"
  "PFLAA,0,-1234,1234,220,2,DD8F12,180,,30,-1.4,1" "PFLAA,0,500,300,50,2,DDA5BA,,,,,1"
  "PFLAA,0,1500,,100,1,4B5C12,,,,,8" "PFLAA,0,-1540,-1020,-1126,1,39103C!FJLKN,93,0,33,4.9,8"
  "PFLAA,2,120,-80,10,2,DD1234,270,-18,11,2.5,7,0,1,-85" "PFLAA,3,50000,-50000,9999,2,FFFFFF,999,999,9999,99.9,F"
  "PFLAA,1,-2147483649,2147483648,-99999999,2,000000,-1,-200,-5,-99.9,E"
  "PFLAA,0,1e308,-1e308,nan,2,ABCDEF,inf,,,,A" "PFLAA,5,0,0,0,9,ZZZZZZ,0,0,0,0,Z" "PFLAA,0,,,,,,,,,,"
  "PFLAA,0,10,10,0,2,DD0001!,90,0,10,0.0,7" "PFLAA,0,10,10,0,2,DD0001!A!B,90,0,10,0.0,7"
)
n=0
$sim nmea --duration ${#shapes[@]} | while IFS= read -r line; do
  printf '%s\n' "$line"
  if [[ $line == \$GPGGA* ]]; then sentence "${shapes[n++]}"; fi
done >"$work/seeds-gps/traffic-shapes.nmea"
for recording in ../shared/data/*.nmea; do
  [ -f "$recording" ] && head -c 4000 "$recording" >"$work/seeds-gps/$(basename "$recording")"
done
# Records as the program writes them (narrow, wide, with no port chosen) and
# damaged ones: a port name swallowing commas, the handheld's 115200 record
# cut to 24 characters.
for record in "COM7:, 9600,6,3,0,1,1, 3" "COM7:,115200,6,9,0,1,1, 3" "     , 9600,1,4,14,10,0,12" \
              "COM2:, 4800,1,2,15,14,0,17" "COM7:,115100,6,200,6,:_115200,67:,1,1, 3" \
              "COM7:,115200,6,9,0,1,1, "; do
  printf '%s' "$record" | iconv -f ASCII -t UTF-16LE >"$work/seeds-settings/$(echo "$record" | md5sum | cut -c1-8)"
done

status=0
for target in "${targets[@]}"; do
  name=${target}_fuzz seeds=seeds-gps
  [ "$target" = settings ] && seeds=seeds-settings
  [ "$target" = airspace ] && seeds=$root/fuzz/airspace-seeds
  mkdir -p "$work/corpus-$name"
  parallel=()
  [ "$jobs" -gt 1 ] && parallel=(-fork="$jobs")
  fault=0
  # The wall time, and the processor time of the fuzzing processes: on a
  # shared machine the executions a processor second are what compares.
  TIMEFORMAT='%R %U %S'
  # shellcheck disable=SC2086  # the options are words
  if ! { time (cd "$work" && "$root/${build[$target]}/fuzz/$name" "${limit[@]}" "${parallel[@]}" ${options[$target]} \
                 -print_final_stats=1 "corpus-$name" "$seeds" >"$name.log" 2>&1); } 2>"$work/$name.time"; then
    status=1 fault=1
  fi
  # One process prints its final statistics; several, the iterations of all.
  runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+)/\1/p; s/^INFO: fuzzed for ([0-9]+) iterations.*/\1/p' \
           "$work/$name.log" | tail -1)
  awk -v name="$name" -v runs="${runs:-0}" -v jobs="$jobs" '{
    printf "%s: %d executions in %.0f s, %.0f a second; %.0f processor seconds in %d process(es), %.0f executions a processor second\n",
           name, runs, $1, ($1 > 0 ? runs / $1 : 0), $2 + $3, jobs, ($2 + $3 > 0 ? runs / ($2 + $3) : 0)
  }' "$work/$name.time"
  [ $fault -eq 0 ] || echo "$name: FAULT, see $work/$name.log"
done
exit "$status"
