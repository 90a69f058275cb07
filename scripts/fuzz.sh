#!/usr/bin/env bash
# Fuzzes the GPS byte loop (with the sentence reader and the log records)
# and the settings-file reader with libFuzzer, under AddressSanitizer and
# UndefinedBehaviorSanitizer (clang), one target after the other, each for
# SECONDS (default 1800: what a change to either is run for before it is
# called done; the settings file's round trip once took four minutes to
# break), from a seed corpus made by flight-sim (and the recordings, when
# ../shared is beside the project). Prints the executions each target
# reached; exit 0 when no fault was found. Crashing inputs are kept in
# build/fuzz/.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-1800}
scripts/install-deps.sh clang
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target flight-sim >/dev/null
CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLIGHT_FUZZ=ON \
      -DFLIGHT_BUILD_APP=OFF -DFLIGHT_BUILD_TESTS=OFF -DFLIGHT_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/fuzz --target acquisition_fuzz settings_fuzz >/dev/null

work=build/fuzz
rm -rf "$work/seeds-gps" "$work/seeds-settings" && mkdir -p "$work/seeds-gps" "$work/seeds-settings"
for seed in 1 2 3; do
  build/release/tools/flight-sim nmea --seed "$seed" --duration 20 --talker GN >"$work/seeds-gps/sim-$seed.nmea"
done
build/release/tools/flight-sim nmea --duration 20 --start 23:59:50 --place -33.9,-70.6 >"$work/seeds-gps/south-west.nmea"
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
for target in acquisition_fuzz:seeds-gps settings_fuzz:seeds-settings; do
  name=${target%%:*}
  mkdir -p "$work/corpus-$name"
  fault=0
  if ! (cd "$work" && "./fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 \
          "corpus-$name" "${target#*:}" >"$name.log" 2>&1); then
    status=1 fault=1
  fi
  runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+)/\1/p' "$work/$name.log")
  echo "$name: ${runs:-?} executions in ${seconds} s$( [ $fault -eq 0 ] || echo ", FAULT: see $work/$name.log")"
done
exit "$status"
