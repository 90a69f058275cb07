#!/usr/bin/env bash
# The real program started in a storage folder it may not write to (a
# pilot outside the folder's group, a card mounted read-only), fed by
# flight-sim: under Xvfb it must show on the screen that the flight is not
# recorded, fly on, and record from the moment the folder takes files.
#   unwritable_storage_e2e.sh INSTRUMENT FLIGHT-SIM
set -euo pipefail
instrument=$1 sim=$2
source "$(dirname "$0")/xvfb_session.sh"
chmod 755 "$work"
fail() { echo "FAILED: $*" >&2; sed 's/^/  program: /' "$work/err" >&2; exit 1; }

# Root writes anywhere: as root, the program and the simulator run as a
# user of their own, to whom the storage folder is closed.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
fi
storage=$work/storage sim_folder=$work/sim
mkdir -p "$storage" "$sim_folder"
cp "$instrument" "$storage/flight-instrument"
printf 'COM7:, 9600,6,3,0,1,0, 3' | iconv -f ASCII -t UTF-16LE >"$storage/TermIni.INI"
[ ${#as_user[@]} -gt 0 ] && chown 65534:65534 "$sim_folder"

start_xvfb

"${as_user[@]}" "$sim" run --storage "$sim_folder" --speed 2 --duration 3600 >/dev/null 2>&1 &
pids+=($!)
wait_for test -L "$sim_folder/COM7" || fail "flight-sim gave no receiver"
ln -s "$sim_folder/COM7" "$storage/COM7"
ln -s "$sim_folder/sys" "$storage/sys"
chmod 555 "$storage"   # closed to its user (and to root's user of its own)

: >"$work/err"
(cd "$storage" && HOME=$work exec "${as_user[@]}" ./flight-instrument) 2>"$work/err" &
program=$!
pids+=("$program")
said="cannot be created (Permission denied): the flight is not recorded until it can be"
wait_for grep -q "^flight-instrument: flight log $storage/FlyData/trk_.*$said\$" "$work/err" ||
  fail "no word that the flight is not recorded"
windows() { xdotool search --onlyvisible --pid "$program" 2>/dev/null || true; }
wait_for eval '[ "$(windows | wc -l)" -eq 2 ]' || fail "no message box beside the window"
echo "the message is on the screen: $(grep -c "$said" "$work/err") time(s) said"

sleep 3
[ ! -e "$storage/FlyData" ] || fail "a log was made in the closed folder"
opened=$EPOCHREALTIME
if [ ${#as_user[@]} -gt 0 ]; then chown 65534 "$storage"; fi
chmod 755 "$storage"
recorded() { grep -qs '^B' "$storage"/FlyData/trk_*.IGC; }
wait_for recorded || fail "nothing recorded once the folder takes files"
echo "the folder opened: the first fix recorded $(awk -v a="$opened" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }') s later"
[ "$(grep -c "$said" "$work/err")" -eq 1 ] || fail "said more than once"
grep -q "the flight is recorded from now on" "$work/err" || fail "no word that the flight is recorded"

kill -TERM "$program"
status=0; wait "$program" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status after SIGTERM"
echo "unwritable storage folder: told on the screen, recorded once it could be"
