#!/usr/bin/env bash
# Makes docs/screenshot.png: the real program in an 800 x 480 window under
# Xvfb, fed a recorded flight (fast) through a pseudo-terminal, with a
# simulated barometer, compass and battery in its storage folder.
#   scripts/screenshot.sh [RECORDING]   default ../shared/data/paraglider-thermals.nmea
set -euo pipefail
cd "$(dirname "$0")/.."
recording=${1:-../shared/data/paraglider-thermals.nmea}
[ -f "$recording" ] || { echo "screenshot: no recording '$recording'" >&2; exit 1; }

scripts/install-deps.sh
missing=()
for p in xvfb xauth imagemagick python3; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] || DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target flight-instrument
storage=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$storage"' EXIT
cmake --install build/release --prefix "$storage" >/dev/null

# COM7 at 9600; top line the vario, middle the distance to the thermal,
# bottom the wind direction.
printf 'COM7:, 9600,6,3,8,11,1, 3' | iconv -f ASCII -t UTF-16LE >"$storage/TermIni.INI"
iio="$storage/sys/bus/iio/devices/iio:device1"
mkdir -p "$iio" "$storage/sys/class/power_supply/BAT0"
for axis in x y z; do echo 0 >"$iio/in_accel_${axis}_raw"; done
echo 9.80665 >"$iio/in_accel_z_raw"
echo 0 >"$iio/in_magn_x_raw"; echo 0.3 >"$iio/in_magn_y_raw"; echo -0.4 >"$iio/in_magn_z_raw"
echo Battery >"$storage/sys/class/power_supply/BAT0/type"
echo 87 >"$storage/sys/class/power_supply/BAT0/capacity"

Xvfb :77 -screen 0 800x480x24 -nolisten tcp &
sleep 1
python3 scripts/gps_feeder.py "$storage" "$recording" 150 2400 &
sleep 1
DISPLAY=:77 "$storage/flight-instrument" &
app=$!
sleep 22
mkdir -p docs
DISPLAY=:77 import -window root docs/screenshot.png
kill -TERM "$app"; wait "$app" || true
echo "screenshot: docs/screenshot.png ($(ls "$storage"/FlyData))"
