#!/usr/bin/env bash
# The real program with a traffic device on its GPS port (a pseudo-terminal),
# on a real X display (Xvfb): each collision alarm turns its top line black
# on white while no fix comes, so without waiting for one, and the line
# turns back when the alarm ends. Prints each delay from the alarm's line in
# the port to the line on the screen (scripts/bench-traffic-alarm.sh
# measures them, with the tone, over more alarms).
#   traffic_alarm_e2e.sh INSTRUMENT ALARM-FEED TOP-LINE-WATCH
set -euo pipefail
instrument=$1 feed=$2 watch=$3
command -v Xvfb >/dev/null || { echo "skipped: Xvfb is not installed (scripts/test.sh installs it)"; exit 77; }

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; sed 's/^/  program: /' "$work/err" >&2 || true; exit 1; }

Xvfb -displayfd 3 -noreset -screen 0 480x272x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"

storage=$work/instrument
mkdir -p "$storage"
cp "$instrument" "$storage/flight-instrument"
# COM7 at 9600; speed on top, traffic in the middle; no sound.
printf 'COM7:, 9600,6,3,0,15,0, 3' | iconv -f ASCII -t UTF-16LE >"$storage/TermIni.INI"

"$watch" 120 >"$work/screen" &
watcher=$!
pids+=("$watcher")
"$feed" --storage "$storage" --alarms 2 --no-fixes-in-alarms >"$work/feed" &
feeder=$!
pids+=("$feeder")
for _ in $(seq 100); do [ -L "$storage/COM7" ] && break; sleep 0.05; done
QT_QPA_PLATFORM=xcb "$storage/flight-instrument" 2>"$work/err" &
program=$!
pids+=("$program")
wait "$feeder" || fail "the traffic device's feed failed"
kill -TERM "$program"
wait "$program" || fail "the program did not end in order"
kill -TERM "$watcher"
wait "$watcher" || true

# Each alarm: the line inverse after its first $PFLAU and before the one
# that ends it; normal again after that, before the next alarm.
awk '
  FILENAME ~ /feed$/ { if ($1 == "alarm") alarm[++n] = $2; else clear[n] = $2; next }
  { at[++m] = $1; state[m] = $2 }
  END {
    if (n < 2) { print "FAILED: the feed sent " n " alarms"; exit 1 }
    for (i = 1; i <= n; i++) {
      shown = 0; back = 0
      for (j = 1; j <= m; j++) {
        if (!shown && state[j] == "inverse" && at[j] > alarm[i] && at[j] < clear[i]) shown = at[j]
        if (shown && !back && state[j] == "normal" && at[j] > clear[i] && (i == n || at[j] < alarm[i + 1])) back = at[j]
      }
      if (!shown) { print "FAILED: alarm " i " never showed on the top line"; exit 1 }
      if (!back) { print "FAILED: the top line stayed inverse after alarm " i " ended"; exit 1 }
      printf "alarm %d: shown %.3f s after its line reached the port, gone %.3f s after its end\n", i, shown - alarm[i], back - clear[i]
    }
  }' "$work/feed" "$work/screen" || fail "see above"
echo "passed"
