#!/usr/bin/env bash
# Whole-process figures of the running instrument, fed by flight-sim:
#   - CPU use over 60 s, in % of one core: with 1 Hz fixes, the barometer
#     sampled at 50 Hz and "Sound" on through PulseAudio (a null sink), in
#     a glide (the tone silent) and in a thermal (beeping); the glide with
#     "Sound" off; and 10 Hz fixes with "Sound" off;
#   - resident memory over a simulated 10-hour flight, flown as fast as the
#     instrument reads it: first, last and peak;
#   - the time from the program's start to its window shown, under Xvfb.
#   scripts/bench-process.sh        CPU=no skips the CPU figures
#   scripts/bench-process.sh glide  the glide with "Sound" on alone (three
#                                   minutes, one figure a minute)
#   scripts/bench-process.sh glide --airspace
#                                   the same with the airspace benchmarks'
#                                   50 MB file as Airspace.txt (the glide
#                                   flies through its region: the warnings
#                                   it meets are counted by a replay)
#   scripts/bench-process.sh output [ROUNDS]  the glide serving the NMEA
#                                   stream: two instruments fly it side by
#                                   side (ports 10110 and 10111), one with an
#                                   app reading its stream, in turn, ROUNDS
#                                   rounds of a minute (default 4), and the
#                                   mean difference; side by side, both see
#                                   the same load of a shared machine
#   scripts/bench-process.sh latency [N]  the delay from a barometer reading
#                                   to its $LK8EX1 on an app's socket, over N
#                                   sentences (default 1200, two minutes)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh xvfb xauth x11-utils pulseaudio pulseaudio-utils libasound2-plugins
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target flight-instrument flight-sim lk8ex1-latency >/dev/null
source scripts/null-sink.sh
storage=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null; rm -rf "$storage"' EXIT
cmake --install build/release --prefix "$storage" >/dev/null
settings() {  # COM7 at 9600; "Sound" checked (1) or not (0)
  printf 'COM7:, 9600,6,3,8,11,%s, 3' "$1" | iconv -f ASCII -t UTF-16LE >"$storage/TermIni.INI"
}
settings 1
echo "cores: $(nproc)"

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
fly() {  # fly SECONDS SIM-ARGS...: starts the simulator and the instrument
  build/release/tools/flight-sim run --storage "$storage" "${@:2}" 2>/dev/null &
  sim=$!
  for _ in $(seq 100); do [ -L "$storage/COM7" ] && break; sleep 0.05; done
  QT_QPA_PLATFORM=offscreen "$storage/flight-instrument" 2>/dev/null &
  app=$!
}
land() { kill -TERM "$app" "$sim" 2>/dev/null || true; wait "$app" "$sim" 2>/dev/null || true; }

cpu() {  # cpu LABEL SOUND SIM-ARGS...: the program's CPU use over 60 s
  settings "$2"
  fly 0 "${@:3}" --duration 100000
  sleep 5  # past the start-up
  before=$(cpu_ticks "$app"); sleep 60; after=$(cpu_ticks "$app")
  land
  awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v label="$1" \
      'BEGIN { printf "CPU %s: %.2f %% of one core\n", label, 100 * t / hz / 60 }'
}
if [ "${1:-}" = glide ]; then
  label="in a glide, 1 Hz fixes, Sound on (silent)"
  if [ "${2:-}" = --airspace ]; then
    cmake --build build/release --target openair-file flight-replay >/dev/null
    build/release/bench/openair-file "$storage/Airspace.txt" | sed 's/^/airspace file: /'
    label="$label, with that airspace file"
    # The minute measured is the flight's 5th to 65th second, in each run.
    build/release/tools/flight-sim nmea --vertical -1:100000 --duration 66 >"$storage/glide.nmea"
    events=$(build/release/tools/flight-replay --out "$storage/replay" --airspace "$storage/Airspace.txt" \
               "$storage/glide.nmea" 2>/dev/null | awk '$1 >= "12:00:05" && / airspace (ahead|inside)/' | wc -l)
    echo "airspace warnings started or entered in the minute measured (three beeps each): $events"
  fi
  start_null_sink "$storage/pulse"
  for _ in 1 2 3; do cpu "$label" 1 --speed 1 --vertical -1:100000; done
  stop_null_sink
  exit 0
fi
if [ "${1:-}" = output ]; then
  # CPU nanoseconds of all the process's threads so far.
  cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ ns += $1 } END { print ns }'; }
  other=$(mktemp -d)
  trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null; rm -rf "$storage" "$other"' EXIT
  cmake --install build/release --prefix "$other" >/dev/null
  cp "$storage/TermIni.INI" "$other/"
  for port in 10110 10111; do
    if ss -ltn | grep -q ":$port "; then echo "bench-process: port $port is taken" >&2; exit 1; fi
  done
  printf 'TCP port: 10110\n' >"$storage/Output.txt"
  printf 'TCP port: 10111\n' >"$other/Output.txt"
  start_null_sink "$storage/pulse"
  sims=()
  rounds=${2:-4}
  for round in $(seq "$rounds"); do
    pids=()
    for folder in "$storage" "$other"; do
      build/release/tools/flight-sim run --storage "$folder" --speed 1 --vertical -1:100000 --duration 100000 2>/dev/null &
      sims+=($!)
      for _ in $(seq 100); do [ -L "$folder/COM7" ] && break; sleep 0.05; done
      QT_QPA_PLATFORM=offscreen "$folder/flight-instrument" 2>/dev/null &
      pids+=($!)
    done
    sleep 5  # past the start-up
    served=$((round % 2))   # the instrument whose stream an app reads (bash's /dev/tcp)
    bash -c "exec cat </dev/tcp/127.0.0.1/$((10110 + served)) >/dev/null" &
    reader=$!
    sleep 1
    a0=$(cpu_ns "${pids[0]}"); b0=$(cpu_ns "${pids[1]}"); sleep 60; a1=$(cpu_ns "${pids[0]}"); b1=$(cpu_ns "${pids[1]}")
    kill "$reader" "${pids[@]}" "${sims[@]}" 2>/dev/null || true
    wait "${pids[@]}" "${sims[@]}" 2>/dev/null || true
    sims=()
    awk -v a=$((a1 - a0)) -v b=$((b1 - b0)) -v served="$served" -v round="$round" 'BEGIN {
      app = served ? b : a; none = served ? a : b
      printf "CPU in a glide, 1 Hz fixes, Sound on (silent), two instruments side by side, round %d: serving no app %.3f %%, serving one app %.3f %% of one core: %+.3f %%\n",
             round, 100 * none / 60e9, 100 * app / 60e9, 100 * (app - none) / 60e9 }' | tee -a "$storage/rounds"
  done
  awk '{ sum += $(NF - 1) } END { printf "one app costs %+.3f %% of one core (mean of %d rounds)\n", sum / NR, NR }' "$storage/rounds"
  stop_null_sink
  exit 0
fi
if [ "${1:-}" = latency ]; then
  build/release/bench/lk8ex1-latency "$storage/flight-instrument" "${2:-1200}"
  exit 0
fi
if [ "${CPU:-yes}" != no ]; then
  start_null_sink "$storage/pulse"
  cpu "in a glide, 1 Hz fixes, Sound on (silent)" 1 --speed 1 --vertical -1:100000
  cpu "in a thermal, 1 Hz fixes, Sound on (beeping)" 1 --speed 1 --vertical 2:100000
  cpu "in a glide, 1 Hz fixes, Sound off" 0 --speed 1 --vertical -1:100000
  cpu "at 10 Hz fixes, Sound off" 0 --speed 10
  stop_null_sink
fi
settings 1

fly 0 --speed 100000 --duration 36000
sleep 3  # past the start-up
low=999999999; high=0; samples=0; started=$SECONDS
while kill -0 "$sim" 2>/dev/null; do
  rss=$(awk '/VmRSS/ { print $2 }' "/proc/$app/status")
  [ "$rss" -lt "$low" ] && low=$rss
  [ "$rss" -gt "$high" ] && high=$rss
  samples=$((samples + 1)); sleep 1
done
peak=$(awk '/VmHWM/ { print $2 }' "/proc/$app/status")
land
echo "resident memory over 10 simulated hours ($((SECONDS - started)) s, $samples samples): ${low} to ${high} kB, peak ${peak} kB"

Xvfb :78 -screen 0 800x480x24 -nolisten tcp & sleep 1
best=999
for _ in 1 2 3 4 5; do
  start=$EPOCHREALTIME
  DISPLAY=:78 "$storage/flight-instrument" 2>/dev/null & app=$!
  until DISPLAY=:78 xwininfo -root -tree 2>/dev/null | grep -q '"Flight instrument"'; do sleep 0.002; done
  shown=$EPOCHREALTIME
  kill -TERM "$app"; wait "$app" || true
  best=$(awk -v a="$start" -v b="$shown" -v c="$best" 'BEGIN { t = b - a; print (t < c) ? t : c }')
done
echo "start to window shown: best of five ${best} s"
