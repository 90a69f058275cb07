#!/usr/bin/env bash
# The traffic alarm's delay, measured end to end on the real program: from
# the moment an alarm's $PFLAU line is in the GPS port (a pseudo-terminal fed
# by alarm-feed, which notes that moment) to the top line turning black on
# white on a real X display (Xvfb, watched by top-line-watch) and to the
# alarm's tone in the speaker (a PulseAudio null sink recorded with parec,
# the alarm's pattern told apart by alarm-times). Each alarm comes at a
# random moment between two fixes; "Sound" is on, and the vario beeps in a
# steady 2 m/s climb (a barometer written 50 times a second), so the alarm
# must take the speaker from it. Reports the median and the worst of each
# delay.
# Goal: both within 0.3 s.
#   scripts/bench-traffic-alarm.sh [ALARMS]    (default 12, 8 s each; not part of CI)
set -euo pipefail
cd "$(dirname "$0")/.."
alarms=${1:-12}
scripts/install-deps.sh pulseaudio pulseaudio-utils libasound2-plugins xvfb libx11-dev
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target flight-instrument alarm-feed top-line-watch alarm-times >/dev/null
source scripts/null-sink.sh

work=$(mktemp -d)
storage=$work/instrument
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -noreset -screen 0 480x272x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"
start_null_sink "$work/pulse"
cmake --install build/release --prefix "$storage" >/dev/null
# COM7 at 9600; speed on top, traffic in the middle; "Sound" checked.
printf 'COM7:, 9600,6,3,0,15,1, 3' | iconv -f ASCII -t UTF-16LE >"$storage/TermIni.INI"

record_null_sink build/release/bench/alarm-times "$work/tones"
build/release/bench/top-line-watch $((alarms * 8 + 60)) >"$work/screen" &
watcher=$!
build/release/bench/alarm-feed --storage "$storage" --alarms "$alarms" --climb 2 --seed "$RANDOM" >"$work/feed" &
feeder=$!
for _ in $(seq 100); do [ -L "$storage/COM7" ] && break; sleep 0.05; done
QT_QPA_PLATFORM=xcb "$storage/flight-instrument" 2>"$work/instrument.err" &
app=$!
echo "$alarms alarms, 8 s each..."
wait "$feeder"
sleep 1
kill -TERM "$app" "$watcher"; wait "$app" || true
sleep 0.5
stop_recording
stop_null_sink
grep -v '^QStandardPaths' "$work/instrument.err" >&2 || true

awk '
  FILENAME ~ /feed$/ { if ($1 == "alarm") alarm[++n] = $2; next }
  FILENAME ~ /screen$/ { if ($2 == "inverse") shown[++s] = $1; next }
  FILENAME ~ /tones$/ { heard[++t] = $1; next }
  # The first time in the list from `after` on; a sound dated up to 10 ms
  # before it (the windows alarm-times dates it by) counts as at once.
  function first(list, count, after, before, slack,   i) {
    for (i = 1; i <= count; i++) if (list[i] >= after - slack && list[i] < before) return list[i] > after ? list[i] - after : 0
    return -1
  }
  function report(label, d, k,   i, j, x, worst) {
    if (k == 0) { printf "%s: none measured\n", label; return }
    for (i = 2; i <= k; i++) { x = d[i]; for (j = i - 1; j >= 1 && d[j] > x; j--) d[j + 1] = d[j]; d[j + 1] = x }
    printf "%s: median %.3f s, worst %.3f s (%d alarms)\n", label, k % 2 ? d[(k + 1) / 2] : (d[k / 2] + d[k / 2 + 1]) / 2, d[k], k
  }
  END {
    for (i = 1; i <= n; i++) {
      x = first(shown, s, alarm[i], alarm[i] + 3, 0); if (x >= 0) text[++a] = x; else missedText++
      x = first(heard, t, alarm[i], alarm[i] + 3, 0.01); if (x >= 0) tone[++b] = x; else missedTone++
    }
    report("alarm text on the top line after its line reached the port", text, a)
    report("alarm tone in the speaker after its line reached the port", tone, b)
    if (missedText) printf "alarms never shown: %d\n", missedText
    if (missedTone) printf "alarms never heard: %d\n", missedTone
  }' "$work/feed" "$work/screen" "$work/tones"
