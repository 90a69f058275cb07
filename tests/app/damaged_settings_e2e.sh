#!/usr/bin/env bash
# The real program started on a settings file damaged as a card damages it:
# empty, cut short, without a rate, binary garbage, a folder in its place,
# unreadable. Each time it must say that it uses the default settings and
# come up; OK in its settings dialog must then write a sound file, which the
# next start reads without a word. The window is driven under Xvfb with
# xdotool, as a pilot's finger would: Return on the message, the "set"
# button, OK.
#   damaged_settings_e2e.sh INSTRUMENT FLIGHT-SIM
set -euo pipefail
instrument=$1 sim=$2
source "$(dirname "$0")/xvfb_session.sh"

fail() { echo "FAILED ($case): $*" >&2; [ -f "$dir/err" ] && sed 's/^/  program: /' "$dir/err" >&2; exit 1; }
start_xvfb

# The program's visible windows, one id a line.
windows() { xdotool search --onlyvisible --pid "$program" 2>/dev/null || true; }
one_window() { [ "$(windows | wc -l)" -eq 1 ]; }
press() {  # key, window
  xdotool windowfocus --sync "$2" 2>/dev/null && xdotool key --clearmodifiers "$1"
}
start() {  # the program in $dir, with its errors in $dir/err
  : >"$dir/err"
  local drop=()
  # Root reads any file: without these two capabilities it meets the
  # unreadable file as a pilot's program would.
  [ "$(id -u)" -eq 0 ] && drop=(setpriv --bounding-set -dac_override,-dac_read_search --)
  (cd "$dir" && exec "${drop[@]}" ./flight-instrument) 2>"$dir/err" &
  program=$!
  pids+=("$program")
}
stop() {
  kill -TERM "$program"
  local status=0
  wait "$program" || status=$?
  [ "$status" -eq 0 ] || fail "exit status $status after SIGTERM"
}

damaged='TermIni.INI is damaged: the default settings are used; choose the GPS port with "set"'
unreadable='TermIni.INI cannot be read: the default settings are used; choose the GPS port with "set"'
# A sound settings record (port, rate, fields, sound) as the program writes it.
sound() { printf 'COM7:, 9600,6,3,3,4,1, 8' | iconv -f ASCII -t UTF-16LE; }

for case in ${CASES:-empty cut-short no-rate garbage folder unreadable}; do
  dir=$work/$case
  mkdir -p "$dir"
  cp "$instrument" "$dir/flight-instrument"
  expected=$damaged
  case $case in
    empty) : >"$dir/TermIni.INI" ;;
    cut-short) sound | head -c 11 >"$dir/TermIni.INI" ;;
    no-rate) printf 'COM7:,abcde,6,3,0,1,1, 3' | iconv -f ASCII -t UTF-16LE >"$dir/TermIni.INI" ;;
    garbage) head -c 300 "$instrument" >"$dir/TermIni.INI" ;;
    folder) mkdir "$dir/TermIni.INI" && echo kept >"$dir/TermIni.INI/note" && expected=$unreadable ;;
    unreadable) sound >"$dir/TermIni.INI" && chmod 000 "$dir/TermIni.INI" && expected=$unreadable ;;
  esac
  # Sensors for the program; it waits for no GPS, as no port is chosen.
  "$sim" run --storage "$dir" --duration 3600 >/dev/null 2>&1 &
  pids+=($!)
  wait_for test -d "$dir/sys" || fail "flight-sim gave no sensors"

  start
  wait_for grep -qxF "flight-instrument: $expected" "$dir/err" || fail "no default settings stated"
  wait_for one_window || fail "no message box"
  message=$(windows)
  press Return "$message"
  wait_for eval '! windows | grep -qx "$message" && one_window' || fail "the message box stayed"
  main=$(windows)
  press space "$main"  # the "set" button, the window's only button
  wait_for eval '[ "$(windows | wc -l)" -eq 2 ]' || fail "no settings dialog"
  settings=$(windows | grep -vx "$main")
  press Return "$settings"  # OK
  wait_for eval '[ -f "$dir/TermIni.INI" ] && one_window' || fail "OK wrote no settings file"
  stop
  if [ "$case" = folder ]; then
    [ "$(cat "$dir/TermIni.INI.damaged/note")" = kept ] || fail "the folder's content was lost"
  fi

  # The next start reads the new file without a message and comes up.
  start
  wait_for one_window || fail "no window on the next start"
  sleep 1
  ! grep -q "TermIni" "$dir/err" || fail "the file written by OK is not sound"
  stop
  echo "$case: defaults stated, a sound file written by OK"
done
