#!/usr/bin/env bash
# Installs what is missing, builds, and runs the real instrument on a
# simulated flight: a receiver on a pseudo-terminal and simulated sensors,
# with traffic: four gliders fly with the pilot, and one crosses its path
# 90 s into the flight, its collision alarm starting 18 s before; and
# through a small restricted area (resources/demo-airspace.txt), whose
# warning shows 6 s into the flight and clears after 83 s. The instrument
# serves its NMEA stream (the vario's $LK8EX1 ten times a second, the
# receiver's sentences) on TCP port 10110, for an app or
# `nc localhost 10110`.
#   scripts/demo.sh [--airspace FILE] [FILE.nmea]
#     FILE.nmea        a recorded stream in place of the simulated flight
#     --airspace FILE  your own OpenAir file, beside the demo's area
# With a display the window opens (close it with Escape) and the flight
# goes in real time, so that the audio vario sounds as it does in the air
# (its fast vertical speed is measured on the instrument's own clock; the
# first thermal comes within a minute and a half). Without one the
# instrument runs on Qt's offscreen platform for a minute, ten seconds of
# flight a second, so that thermals, the wind and the thermal marker show. Either way it
# ends with where the track log went and a short summary. Its storage
# folder is build/demo/instrument; nothing else is touched.
set -euo pipefail
airspace=
if [ "${1:-}" = --airspace ]; then
  airspace=${2:-}
  [ -f "$airspace" ] || { echo "demo: no airspace file '$airspace'" >&2; exit 1; }
  airspace=$(realpath "$airspace")   # before the folder changes
  shift 2
fi
cd "$(dirname "$0")/.."

recording=${1:-}
if [ -n "$recording" ] && [ ! -f "$recording" ]; then
  echo "demo: no recording '$recording'" >&2
  exit 1
fi
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target flight-instrument flight-sim

storage=$PWD/build/demo/instrument
rm -rf "$storage"
cmake --install build/release --prefix "$storage" >/dev/null
# COM7 at 9600; top line the vario, middle the distance to the thermal,
# bottom the wind direction.
printf 'COM7:, 9600,6,3,8,11,1, 3' | iconv -f ASCII -t UTF-16LE >"$storage/TermIni.INI"
# The demo's restricted area, then the pilot's own airspace if given (UTF-8
# or Latin-1; a UTF-8 mark at its start dropped, as it is no longer there).
{
  cat resources/demo-airspace.txt
  [ -z "$airspace" ] || sed '1s/^\xEF\xBB\xBF//' "$airspace"
} >"$storage/Airspace.txt"

wind="240,4"
if [ -n "$recording" ]; then
  flight=(--file "$recording")
else
  flight=(--wind "$wind" --duration 3600 --gaggle 4 --crossing 90)
  echo "demo: traffic: 4 gliders fly with the pilot; one crosses its path 90 s into the flight"
  echo "demo: airspace: the flight passes through the restricted area R DEMO in its first minute"
fi
speed=10
[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && speed=1
port=10110
build/release/tools/flight-sim run --storage "$storage" --speed "$speed" --serve "$port" "${flight[@]}" &
simulator=$!
trap 'kill "$simulator" 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -L "$storage/COM7" ] && break; sleep 0.05; done

echo "demo: the NMEA stream for apps on TCP port $port: nc localhost $port"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$storage/flight-instrument"
else
  echo "demo: no display: the instrument runs offscreen for 60 s"
  QT_QPA_PLATFORM=offscreen "$storage/flight-instrument" &
  instrument=$!
  sleep 10
  echo "demo: what an app connected to port $port gets, its first lines:"
  lines=$(timeout 2 bash -c "cat </dev/tcp/127.0.0.1/$port" 2>/dev/null | head -n 14 | tr -d '\r' || true)
  if [ -n "$lines" ]; then sed 's/^/  /' <<<"$lines"; else echo "  (nothing: port $port is not served, see above)"; fi
  sleep 48
  kill -TERM "$instrument"
  wait "$instrument"
fi
kill "$simulator" 2>/dev/null || true
wait "$simulator" 2>/dev/null || true

track=$(ls "$storage"/FlyData/*.IGC)
echo "demo: track log $track"
echo "demo: acceleration log $(ls "$storage"/FlyData/*.csv)"
# The best climb: the largest gain of the pressure altitude over 20 s.
awk -v wind="$([ -n "$recording" ] && echo recorded || echo "$wind")" '
  /^B/ { alt[n++] = substr($0, 26, 5) + 0 }
  END {
    best = 0
    for (i = 20; i < n; i++) if ((alt[i] - alt[i - 20]) / 20 > best) best = (alt[i] - alt[i - 20]) / 20
    printf "demo: %d fixes logged, best climb %.1f m/s over 20 s", n, best
    if (wind != "recorded") { split(wind, w, ","); printf ", simulated wind from %d deg at %d m/s", w[1], w[2] }
    printf "\n"
  }' "$track"
