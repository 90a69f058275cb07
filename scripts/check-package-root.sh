#!/usr/bin/env bash
# Installs the package with apt into a fresh Debian 12 root made by
# mmdebstrap (it downloads a base system: not part of CI), and there
#  - shows the service user, its groups, the storage folder, and that the
#    service is not enabled;
#  - flies a flight-sim flight with the installed instrument, started the
#    way the service starts it (its user, umask and start script, the
#    platform from /etc/default/flight-instrument set to offscreen), reads
#    its NMEA stream on TCP port 10110 (the package's Output.txt), ends it
#    with SIGTERM and reads the logs it wrote in its storage folder;
#  - starts it once with the default platform, eglfs, in a root without a
#    screen (no /dev/dri, no /dev/fb*), its whole output shown: it must fall
#    back to linuxfb, then fly on the offscreen platform;
#  - has a pilot of the group make and replace a COMn link of their own;
#  - has systemd-analyze verify the unit;
#  - enables the service (the README's command) and boots the root with
#    systemd-nspawn, whose /dev has no screen, with the default platform:
#    the service must come up by itself, say once that it has no screen,
#    fly and record, serve port 10110, come back within two seconds of a
#    kill -9, and stop in
#    order on SIGTERM; then, without a receiver, it is killed every second
#    for a minute and must leave at most one pair of logs without a fix;
#  - purges the package and shows that the flight logs stay, and the link
#    to the NMEA output's conffile goes with it.
#   scripts/check-package-root.sh [PACKAGE.deb]   (default: scripts/build-package.sh's)
# Needs root (chroot, mounts in a namespace of their own, systemd-nspawn).
set -euo pipefail
cd "$(dirname "$0")/.."

deb=${1:-}
if [ -z "$deb" ]; then
  scripts/build-package.sh >/dev/null
  deb=$(ls -t build/package/flight-instrument_*.deb | head -1)
fi
[ -f "$deb" ] || { echo "check-package-root: no package '$deb'" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "check-package-root: needs root (chroot, mounts)" >&2; exit 1; }
scripts/install-deps.sh mmdebstrap systemd-container

work=$(mktemp -d /tmp/flight-root.XXXXXX)
root=$work/root
# The mounts live in the namespace of `inside` alone and go with it, so the
# root can always be removed.
trap 'rm -rf --one-file-system "$work"' EXIT

mirror=http://deb.debian.org
echo "== a fresh Debian 12 root (mmdebstrap, variant apt, with systemd as init) from $mirror"
mmdebstrap --quiet --variant=apt --include=systemd-sysv,procps bookworm "$root" \
  "deb $mirror/debian bookworm main" "deb $mirror/debian bookworm-updates main" \
  "deb $mirror/debian-security bookworm-security main"
cp "$deb" "$root/tmp/"

# Runs a shell script in the root with /proc, /dev (pseudo-terminals) and
# /sys, the mounts private to this one command.
inside() {
  unshare --mount --propagation private sh -c '
    root=$1; shift
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount --rbind /sys "$root/sys"
    exec chroot "$root" /bin/sh -c "$@"' sh "$root" "$@"
}

# Runs apt-get in the root; its last lines, or all of them when it fails.
apt_inside() {
  inside "apt-get update -q >/tmp/apt.log 2>&1 &&
          DEBIAN_FRONTEND=noninteractive apt-get $* >>/tmp/apt.log 2>&1 ||
          { cat /tmp/apt.log; exit 1; }; tail -n 12 /tmp/apt.log"
}

echo "== apt-get install ./$(basename "$deb")"
apt_inside install -y -q "/tmp/$(basename "$deb")"

cat >"$root/tmp/fly.sh" <<'FLY'
set -eu
storage=/var/lib/flight-instrument
echo "== the service user and the storage folder"
id flight-instrument
ls -la $storage
echo "the service after installation: $(systemctl is-enabled flight-instrument.service)"
echo "the NMEA output's settings: $storage/Output.txt -> $(readlink $storage/Output.txt): $(grep -v '^#' /etc/flight-instrument/Output.txt | grep .)"

# As the service runs it: its user and groups, its umask, its environment.
umask 0002
as_service="setpriv --reuid=flight-instrument --regid=flight-instrument --init-groups
  env -i PATH=/usr/bin:/bin HOME=$storage XDG_RUNTIME_DIR=/run/flight-instrument
  XDG_CACHE_HOME=/var/cache/flight-instrument"
install -d -m 0700 -o flight-instrument -g flight-instrument /run/flight-instrument /var/cache/flight-instrument
sim= instrument=
trap 'kill -TERM $sim $instrument 2>/dev/null || true' EXIT

echo "== a flight: flight-sim as the receiver on COM5, the instrument on offscreen, 45 s at ten times real time"
# The pilot's choices in "set": COM5 at 9600; the vario, the distance to the
# thermal, the wind direction.
printf 'COM5:, 9600,4,3,8,11,1, 3' | iconv -f ASCII -t UTF-16LE >$storage/TermIni.INI
chown flight-instrument:flight-instrument $storage/TermIni.INI
sed -i 's/^QT_QPA_PLATFORM=.*/QT_QPA_PLATFORM=offscreen/' /etc/default/flight-instrument
$as_service flight-sim run --storage $storage --com 5 --speed 10 --duration 1200 2>/tmp/sim.log &
sim=$!
for i in $(seq 100); do [ -L $storage/COM5 ] && break; sleep 0.1; done
set -a; . /etc/default/flight-instrument; set +a
$as_service QT_QPA_PLATFORM="$QT_QPA_PLATFORM" /usr/libexec/flight-instrument/start 2>/tmp/instrument.log &
instrument=$!
sleep 10
# An app on the stream for two seconds (bash's /dev/tcp: no client to install).
timeout 2 bash -c 'cat </dev/tcp/127.0.0.1/10110' >/tmp/stream.txt 2>/dev/null || true
echo "an app on TCP port 10110 for 2 s: $(grep -c '^\$LK8EX1,' /tmp/stream.txt) \$LK8EX1, $(grep -c '^\$GPRMC,' /tmp/stream.txt) \$GPRMC; the first lines:"
head -4 /tmp/stream.txt | sed 's/^/  /'
[ "$(grep -c '^\$LK8EX1,' /tmp/stream.txt)" -ge 15 ]
sleep 35
echo "the running instrument: $(ps -o user:20=,args= -p $instrument)"
kill -TERM $instrument
status=0; wait $instrument || status=$?
instrument=
kill -TERM $sim; wait $sim || true
sim=
echo "the instrument ended on SIGTERM with exit status $status; its standard error:"
sed 's/^/  /' /tmp/instrument.log
echo "$(head -1 /tmp/sim.log)"
echo "== the logs in its storage folder"
ls -la $storage $storage/FlyData
track=$(ls $storage/FlyData/trk_*.IGC)
accel=$(ls $storage/FlyData/acc_*.csv)
head -3 "$track"; echo "..."; tail -2 "$track"
records=$(grep -c '^B' "$track")
echo "$records B records, every one 35 characters and a line end: $(awk '/^B/ && length($0) != 35 { bad++ } END { print bad ? "no" : "yes" }' "$track")"
echo "acceleration log: $(($(wc -l <"$accel") - 1)) records"
[ "$status" -eq 0 ] && [ "$records" -ge 300 ] && [ "$(tail -c 1 "$track" | od -An -tx1 | tr -d ' ')" = 0a ]

echo "== the default platform, eglfs, in a root without a screen (no /dev/dri, no /dev/fb*): 8 s, all it says"
ls -d /dev/dri /dev/fb* 2>/dev/null && echo "check-package-root: this root has a screen device" >&2
sed -i 's/^QT_QPA_PLATFORM=.*/QT_QPA_PLATFORM=eglfs/' /etc/default/flight-instrument
set -a; . /etc/default/flight-instrument; set +a
status=0
$as_service QT_QPA_PLATFORM="$QT_QPA_PLATFORM" timeout 8 /usr/libexec/flight-instrument/start >/tmp/platform.log 2>&1 ||
  status=$?
sed 's/^/  /' /tmp/platform.log
echo "ended by timeout's SIGTERM after 8 s with exit status $status (124: it was still running)"
[ "$status" -eq 124 ] && grep -q "no screen" /tmp/platform.log && ! grep -qi "abort\|Cannot create window" /tmp/platform.log

echo "== a pilot of the group: a COMn link of their own, made and replaced; the package's COM7 is root's"
adduser --quiet --disabled-password --gecos "" pilot && adduser --quiet pilot flight-instrument
as_pilot="setpriv --reuid=pilot --regid=pilot --init-groups"
$as_pilot ln -sf /dev/ttyS2 $storage/COM3 && $as_pilot ln -sf /dev/ttyS3 $storage/COM3
echo "COM3: $(readlink $storage/COM3) (made by $(stat -c %U $storage/COM3))"
if $as_pilot ln -sf /dev/ttyS4 $storage/COM7 2>/dev/null; then echo "COM7 replaced by a pilot" >&2; exit 1; fi
ln -sf /dev/flight-gps $storage/COM7 && echo "COM7: $(readlink $storage/COM7), replaced by root alone, as the README says"
rm $storage/COM3

echo "== systemd-analyze verify"
systemd-analyze verify /lib/systemd/system/flight-instrument.service && echo "systemd-analyze verify: no complaints"
FLY
inside "sh /tmp/fly.sh"

# The booted root: a unit that waits for the instrument's service (flying
# flight-sim's flight), kills the program, stops the service, writes what
# it saw in /root/service-check.txt and powers the root off.
cat >"$root/root/service-check.sh" <<'CHECK'
#!/bin/sh
set -u
exec >/root/service-check.txt 2>&1
storage=/var/lib/flight-instrument
service=flight-instrument.service
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }'; }
main_pid() { systemctl show -p MainPID --value $service; }
wait_active() {
  for i in $(seq 300); do
    [ "$(systemctl is-active $service)" = active ] && [ "$(main_pid)" != 0 ] && [ "$(main_pid)" != "$1" ] && return 0
    sleep 0.01
  done
  return 1
}
wait_active 0
started=$(now)
echo "after the boot: $(systemctl is-enabled $service), $(systemctl is-active $service), as $(ps -o user:20=,args= -p "$(main_pid)")"
# No screen in this root: it must fly and record all the same.
for i in $(seq 100); do grep -qs '^B' $storage/FlyData/trk_*.IGC && break; sleep 0.1; done
echo "without a screen: the first fix recorded $(since "$started") s after the service was active"
timeout 2 bash -c 'cat </dev/tcp/127.0.0.1/10110' >/tmp/served.txt 2>/dev/null
echo "served on TCP port 10110: $(grep -c '^\$LK8EX1,' /tmp/served.txt) \$LK8EX1 and $(grep -c '^\$GPRMC,' /tmp/served.txt) \$GPRMC in 2 s"
systemctl show -p Restart -p RestartUSec -p KillSignal -p User $service | tr '\n' ' '; echo
sleep 20
pid=$(main_pid); t=$(now)
kill -9 "$pid"
if wait_active "$pid"; then
  echo "kill -9 of $pid: the service active again after $(since "$t") s, program $(main_pid)"
else
  echo "kill -9 of $pid: NOT active again after 3 s"
fi
# A simulated receiver is a pseudo-terminal, which keeps the killed
# program's claim to exclusive use while flight-sim holds its other side (a
# real receiver's port drops it with the program): a new receiver, which
# the instrument finds on its next try to open COM5.
systemctl restart flight-sim
sleep 20
t=$(now)
systemctl stop $service
echo "systemctl stop (SIGTERM): ended after $(since "$t") s, $(systemctl show -p Result -p ExecMainCode -p ExecMainStatus $service | tr '\n' ' ')"
systemctl stop flight-sim
for track in $storage/FlyData/trk_*.IGC; do
  echo "$track: $(grep -c '^B' "$track") B records, all whole: $(awk '/^B/ && length($0) != 35 { bad++ } END { print bad ? "NO" : "yes" }' "$track"), ends with a line end: $(tail -c 1 "$track" | od -An -tx1 | tr -d ' ')"
done
echo "the service's journal:"
journalctl -u $service -o short-monotonic --no-pager | sed 's/^/  /'
echo "journal lines saying there is no screen: $(journalctl -u $service --no-pager | grep -c 'no screen'), starts: $(journalctl -u $service --no-pager | grep -c 'asked to draw with')"

# Without a receiver the program is killed every second for a minute: a
# restart loop must not fill the card with logs that hold no fix.
before=$(ls $storage/FlyData | wc -l)
systemctl start $service
wait_active 0
kills=0; t=$(now)
while [ "$(awk -v a="$t" -v b="$(now)" 'BEGIN { print (b - a < 60) }')" = 1 ]; do
  sleep 1
  pid=$(main_pid)
  [ "$pid" != 0 ] && kill -9 "$pid" 2>/dev/null && kills=$((kills + 1))
done
wait_active 0; sleep 3
fixless=0
for track in $storage/FlyData/trk_*.IGC; do grep -q '^B' "$track" || fixless=$((fixless + 1)); done
echo "restart loop: $kills kills in 60 s, $(systemctl show -p NRestarts --value $service) restarts; files in FlyData before: $before, after: $(ls $storage/FlyData | wc -l); pairs without a fix: $fixless"
ls -l $storage/FlyData | sed 's/^/  /'
systemctl stop $service
systemctl poweroff
CHECK
chmod +x "$root/root/service-check.sh"
cat >"$root/etc/systemd/system/service-check.service" <<'UNIT'
[Unit]
Description=Check of the flight instrument's service
After=flight-instrument.service
[Service]
Type=oneshot
ExecStart=/root/service-check.sh
[Install]
WantedBy=multi-user.target
UNIT
# The receiver and sensors, there before the instrument starts, as on a board.
cat >"$root/etc/systemd/system/flight-sim.service" <<'UNIT'
[Unit]
Description=A simulated flight on COM5 for the flight instrument
Before=flight-instrument.service
[Service]
User=flight-instrument
ExecStart=/usr/bin/flight-sim run --storage /var/lib/flight-instrument --com 5 --speed 10 --duration 3600
ExecStartPost=/bin/sh -c 'while [ ! -L /var/lib/flight-instrument/COM5 ]; do sleep 0.05; done'
[Install]
WantedBy=multi-user.target
UNIT

echo "== systemctl enable flight-instrument, then the root booted with systemd-nspawn"
inside "sed -i 's/^QT_QPA_PLATFORM=.*/QT_QPA_PLATFORM=eglfs/' /etc/default/flight-instrument
        rm -f /var/lib/flight-instrument/FlyData/*
        systemctl enable flight-instrument 2>&1
        systemctl enable flight-sim service-check >/dev/null 2>&1"
timeout 300 systemd-nspawn --quiet --directory="$root" --boot --register=no --keep-unit \
  --console=read-only >"$work/boot.log" 2>&1 || true
[ -f "$root/root/service-check.txt" ] || { tail -40 "$work/boot.log"; echo "check-package-root: the booted root made no report" >&2; exit 1; }
cat "$root/root/service-check.txt"
grep -q "active again after [01]\." "$root/root/service-check.txt"
grep -q "Result=success ExecMainCode=1 ExecMainStatus=0" "$root/root/service-check.txt"
! grep -q "all whole: NO" "$root/root/service-check.txt"
[ "$(grep -c "B records, all whole: yes, ends with a line end: 0a" "$root/root/service-check.txt")" -eq 2 ]
! grep -q ": 0 B records" "$root/root/service-check.txt"
grep -q "without a screen: the first fix recorded" "$root/root/service-check.txt"
grep -qE "served on TCP port 10110: ([2-9][0-9]) .LK8EX1 and [1-9][0-9]* .GPRMC in 2 s" "$root/root/service-check.txt"
grep -q "journal lines saying there is no screen: [1-9]" "$root/root/service-check.txt"
grep -qE "restart loop: [0-9]+ kills in 60 s, .* pairs without a fix: [01]$" "$root/root/service-check.txt"

echo "== apt-get purge flight-instrument: the pilot's logs stay"
apt_inside purge -y -q flight-instrument
inside "ls -la /var/lib/flight-instrument /var/lib/flight-instrument/FlyData; id flight-instrument
        ! test -e /var/lib/flight-instrument/Output.txt -o -L /var/lib/flight-instrument/Output.txt &&
        ! test -e /etc/flight-instrument/Output.txt && echo 'Output.txt and its link: gone with the package'"
echo "check-package-root: passed"
