#!/usr/bin/env bash
# Installs the package with apt into a fresh Debian 12 root made by
# mmdebstrap (it downloads a base system: not part of CI), and there
#  - shows the service user, its groups, the storage folder, and that the
#    service is not enabled;
#  - flies a flight-sim flight with the installed instrument, started the
#    way the service starts it (its user, umask and start script, the
#    platform from /etc/default/flight-instrument set to offscreen), ends
#    it with SIGTERM and reads the logs it wrote in its storage folder;
#  - starts it once with the default platform, eglfs, to show the fall
#    back to linuxfb where no display is connected to a DRM card;
#  - has systemd-analyze verify the unit;
#  - enables the service (the README's command) and boots the root with
#    systemd-nspawn: the service must come up by itself, fly, come back
#    within two seconds of a kill -9, and stop in order on SIGTERM;
#  - purges the package and shows that the flight logs stay.
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
sleep 45
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

echo "== the default platform, eglfs, in a root without a connected display"
sed -i 's/^QT_QPA_PLATFORM=.*/QT_QPA_PLATFORM=eglfs/' /etc/default/flight-instrument
set -a; . /etc/default/flight-instrument; set +a
$as_service QT_QPA_PLATFORM="$QT_QPA_PLATFORM" timeout 10 /usr/libexec/flight-instrument/start 2>&1 | head -n 4 || true

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
echo "after the boot: $(systemctl is-enabled $service), $(systemctl is-active $service), as $(ps -o user:20=,args= -p "$(main_pid)")"
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
inside "sed -i 's/^QT_QPA_PLATFORM=.*/QT_QPA_PLATFORM=offscreen/' /etc/default/flight-instrument
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

echo "== apt-get purge flight-instrument: the pilot's logs stay"
apt_inside purge -y -q flight-instrument
inside "ls -la /var/lib/flight-instrument /var/lib/flight-instrument/FlyData; id flight-instrument"
echo "check-package-root: passed"
