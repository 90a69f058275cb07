#!/usr/bin/env bash
# Makes docs/screenshot.png: the real program in an 800 x 480 window under
# Xvfb, fed the simulated flight (or a recording) by flight-sim, ten times
# faster than real time, with its simulated barometer, compass and battery,
# and its gaggle.
# With --settings, docs/settings-list.png instead: "set" tapped and the
# top line's list opened, its current entry marked.
#   scripts/screenshot.sh [--settings] [RECORDING.nmea]
set -euo pipefail
cd "$(dirname "$0")/.."
shot=docs/screenshot.png
if [ "${1:-}" = --settings ]; then shot=docs/settings-list.png; shift; fi
recording=${1:-}
[ -z "$recording" ] || [ -f "$recording" ] || { echo "screenshot: no recording '$recording'" >&2; exit 1; }

scripts/install-deps.sh xvfb xauth imagemagick xdotool
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target flight-instrument flight-sim
storage=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; wait; rm -rf "$storage"' EXIT
cmake --install build/release --prefix "$storage" >/dev/null

# COM7 at 9600; top line the vario, middle the traffic, bottom the wind
# direction.
printf 'COM7:, 9600,6,3,8,15,1, 3' | iconv -f ASCII -t UTF-16LE >"$storage/TermIni.INI"
# The simulated flight thermals with four other gliders, which the map shows
# about the pilot.
if [ -n "$recording" ]; then flight=(--file "$recording"); else flight=(--duration 3600 --gaggle 4); fi
build/release/tools/flight-sim run --storage "$storage" --speed 10 "${flight[@]}" &
for _ in $(seq 100); do [ -L "$storage/COM7" ] && break; sleep 0.05; done

Xvfb :77 -screen 0 800x480x24 -nolisten tcp &
sleep 1
DISPLAY=:77 "$storage/flight-instrument" &
app=$!
sleep 30
if [ "$shot" = docs/settings-list.png ]; then
  # Where a finger taps on the 800 x 480 screen: "set", then the top line's list.
  DISPLAY=:77 xdotool mousemove 666 435 click 1
  sleep 1
  DISPLAY=:77 xdotool mousemove 596 57 click 1
  sleep 1
fi
mkdir -p docs
DISPLAY=:77 import -window root "$shot"
kill -TERM "$app"; wait "$app" || true
echo "screenshot: $shot ($(ls "$storage"/FlyData))"
