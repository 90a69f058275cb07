#!/usr/bin/env bash
# The simulator's flight through the demonstration's restricted area
# (resources/demo-airspace.txt, as scripts/demo.sh flies it), flown by the
# real program on a real X display (Xvfb): the warning turns the top line
# black on white a few seconds in, the pilot's tap on the line (xdotool)
# gives it back to its field, the entry takes it again, and it is given
# back once the pilot has left the area. The file read is told on
# standard error.
#   airspace_warning_e2e.sh INSTRUMENT FLIGHT-SIM TOP-LINE-WATCH AIRSPACE-FILE
set -euo pipefail
instrument=$1 sim=$2 watch=$3 airspace=$4
source "$(dirname "$0")/xvfb_session.sh"
fail() { echo "FAILED: $*" >&2; sed 's/^/  screen: /' "$work/screen" >&2 || true; sed 's/^/  program: /' "$work/err" >&2 || true; exit 1; }
start_xvfb

storage=$work/instrument
mkdir -p "$storage"
cp "$instrument" "$storage/flight-instrument"
cp "$airspace" "$storage/Airspace.txt"
# COM7 at 9600; speed on top, the airspace in the middle; no sound.
printf 'COM7:, 9600,6,3,0,16,0, 3' | iconv -f ASCII -t UTF-16LE >"$storage/TermIni.INI"

"$watch" 120 >"$work/screen" &
pids+=($!)
# Three seconds of flight a second: the warning from 6 s of flight, the
# entry at 35 s, clear at 83 s.
"$sim" run --storage "$storage" --speed 3 --duration 100 >/dev/null 2>&1 &
pids+=($!)
wait_for test -L "$storage/COM7" || fail "the simulator did not start"
QT_QPA_PLATFORM=xcb "$storage/flight-instrument" 2>"$work/err" &
program=$!
pids+=("$program")

states() { awk '{ printf "%s ", $2 }' "$work/screen"; }
states_are() { test "$(states)" = "$1"; }
wait_for grep -q inverse "$work/screen" || fail "no warning on the top line"
sleep 1
read -r width height < <(xdotool getdisplaygeometry)
xdotool mousemove $((width / 2)) $((height * 5 / 37)) click 1   # the top line's middle
wait_for states_are "inverse normal " || fail "the tap did not acknowledge the warning: $(states)"
wait_for states_are "inverse normal inverse " || fail "no warning on entry: $(states)"
wait_for states_are "inverse normal inverse normal " || fail "the warning did not clear: $(states)"
kill -TERM "$program"
wait "$program" || fail "the program did not end in order"
grep -q "flight-instrument: airspace: 1 loaded from Airspace.txt, 0 skipped" "$work/err" ||
  fail "the airspace file's summary is not on standard error"
echo "passed: $(states)"
