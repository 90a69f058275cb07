#!/usr/bin/env bash
# What the pilot hears, measured end to end: the real program with "Sound"
# on, fed by flight-sim in real time (1 Hz fixes, a barometer at 100 Hz with
# an MS5611's noise), its tone played into a PulseAudio null sink and
# recorded from the sink's monitor with parec. Each cycle of the flight:
#   20 s glide at -1 m/s, 20 s thermal at +2 m/s, 35 s level flight,
#   35 s glide at -1 m/s, 15 s sink at -3 m/s
# (each change of air over one second). It reports
#   - the delay from each thermal entry to the first climb beep, counted
#     from the start of the one-second edge and from its middle, and from
#     each steepening of the sink to the sink tone;
#   - the tones in 30 s of level flight and in 30 s of the -1 m/s glide
#     (each counted from 5 s after the change of air);
#   - the program's CPU use, in the glides and in the thermals.
# Goals: the climb tone at most 0.8 s after the entry; no tone in a -1 m/s
# glide; at most one beep in 30 s of level flight.
#   scripts/bench-tone.sh [CYCLES]    (default 3, 125 s each; not part of CI)
set -euo pipefail
cd "$(dirname "$0")/.."
cycles=${1:-3}
scripts/install-deps.sh pulseaudio pulseaudio-utils libasound2-plugins
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target flight-instrument flight-sim tone-times >/dev/null
source scripts/null-sink.sh

work=$(mktemp -d)
storage=$work/instrument
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
start_null_sink "$work/pulse"
cmake --install build/release --prefix "$storage" >/dev/null
# COM7 at 9600, "Sound" checked.
printf 'COM7:, 9600,6,3,8,11,1, 3' | iconv -f ASCII -t UTF-16LE >"$storage/TermIni.INI"

record_null_sink build/release/bench/tone-times "$work/tones"
build/release/tools/flight-sim run --storage "$storage" --speed 1 --duration $((cycles * 125 + 10)) \
  --vertical -1:20,2:20,0:35,-1:35,-3:15 2>"$work/sim" &
sim=$!
for _ in $(seq 100); do [ -L "$storage/COM7" ] && break; sleep 0.05; done
QT_QPA_PLATFORM=offscreen "$storage/flight-instrument" 2>"$work/instrument.err" &
app=$!
echo "flying $cycles cycles of 125 s in real time..."
while kill -0 "$sim" 2>/dev/null; do
  echo "$EPOCHREALTIME $(awk '{ print $14 + $15 }' "/proc/$app/stat")" >>"$work/cpu"
  sleep 1
done
kill -TERM "$app"; wait "$app" || true
sleep 0.5
stop_recording
stop_null_sink
grep -v '^flight-sim: vertical' "$work/instrument.err" >&2 || true

# The changes of air, the tones and the CPU samples, side by side.
awk -v hz="$(getconf CLK_TCK)" '
  FILENAME ~ /sim$/ && /vertical speed/ { n++; from[n] = $4 + 0; to[n] = $6 + 0; at[n] = $NF + 0; next }
  FILENAME ~ /tones$/ { t++; start[t] = $1; freq[t] = $3; next }
  FILENAME ~ /cpu$/ { c++; ct[c] = $1; ticks[c] = $2; next }
  function first_tone(after, climb,   i) {
    for (i = 1; i <= t; i++) if (start[i] > after && (climb ? freq[i] >= 500 : freq[i] < 500)) return start[i] - after
    return -1
  }
  function tones_in(a, b,   i, k) { k = 0; for (i = 1; i <= t; i++) if (start[i] >= a && start[i] < b) k++; return k }
  function cpu(a, b,   i, i0, i1) {  # % of one core between a and b
    for (i = 1; i <= c; i++) { if (ct[i] >= a && !i0) i0 = i; if (ct[i] <= b) i1 = i }
    if (!i0 || i1 <= i0) return -1
    return 100 * (ticks[i1] - ticks[i0]) / hz / (ct[i1] - ct[i0])
  }
  function report(label, sum, count, worst) {
    if (count) printf "%s: mean %.2f s, worst %.2f s (%d)\n", label, sum / count, worst, count
  }
  END {
    for (i = 1; i <= n; i++) {
      if (to[i] == 2) {
        d = first_tone(at[i], 1)
        if (d < 0) { missed++; continue }
        climb += d; climbs++; if (d > climbWorst) climbWorst = d
        thermalCpu += cpu(at[i] + 2, at[i] + 20); thermals++
      } else if (to[i] == -3) {
        d = first_tone(at[i], 0)
        if (d >= 0) { sink += d; sinks++; if (d > sinkWorst) sinkWorst = d }
      } else if (to[i] == 0) {
        k = tones_in(at[i] + 5, at[i] + 35); level = level " " k; if (k > levelWorst) levelWorst = k
      } else if (to[i] == -1 && from[i] == 0) {
        k = tones_in(at[i] + 5, at[i] + 35); glide = glide " " k; if (k > glideWorst) glideWorst = k
        glideCpu += cpu(at[i] + 5, at[i] + 35); glides++
      }
    }
    report("climb tone after the thermal entry (start of the edge)", climb, climbs, climbWorst)
    report("climb tone after the thermal entry (middle of the edge)", climb - 0.5 * climbs, climbs, climbWorst - 0.5)
    if (missed) printf "thermal entries without a climb tone: %d\n", missed
    report("sink tone after the sink steepens to -3 m/s (start of the edge)", sink, sinks, sinkWorst)
    printf "tones in 30 s of level flight:%s (goal: at most 1)\n", level
    printf "tones in 30 s of a -1 m/s glide:%s (goal: none)\n", glide
    if (glides) printf "CPU in the glides (silent): %.2f %% of one core\n", glideCpu / glides
    if (thermals) printf "CPU in the thermals (beeping): %.2f %% of one core\n", thermalCpu / thermals
    printf "CPU over the whole flight: %.2f %% of one core\n", cpu(ct[1], ct[c])
  }' "$work/sim" "$work/tones" "$work/cpu"
