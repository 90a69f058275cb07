#!/usr/bin/env bash
# Installs the package with apt into a fresh Debian 12 root made by
# mmdebstrap (it downloads a base system: not part of CI), and there
#  - shows the service user, its groups and the storage folder;
#  - flies a flight-sim flight with the installed instrument, started the
#    way the service starts it (its user, umask and start script, the
#    platform from /etc/default/flight-instrument set to offscreen), ends
#    it with SIGTERM and reads the logs it wrote in its storage folder;
#  - starts it once with the default platform, eglfs, to show the fall
#    back to linuxfb where no display is connected to a DRM card;
#  - installs systemd there, shows the service is not enabled and has
#    systemd-analyze verify the unit;
#  - purges the package and shows that the flight logs stay.
#   scripts/check-package-root.sh [PACKAGE.deb]   (default: scripts/build-package.sh's)
# Needs root (chroot and mounts, in a mount namespace of its own).
set -euo pipefail
cd "$(dirname "$0")/.."

deb=${1:-}
if [ -z "$deb" ]; then
  scripts/build-package.sh >/dev/null
  deb=$(ls -t build/package/flight-instrument_*.deb | head -1)
fi
[ -f "$deb" ] || { echo "check-package-root: no package '$deb'" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "check-package-root: needs root (chroot, mounts)" >&2; exit 1; }
scripts/install-deps.sh mmdebstrap

work=$(mktemp -d /tmp/flight-root.XXXXXX)
root=$work/root
# The mounts live in the namespace of `inside` alone and go with it, so the
# root can always be removed.
trap 'rm -rf --one-file-system "$work"' EXIT

mirror=http://deb.debian.org
echo "== a fresh Debian 12 root (mmdebstrap, variant apt) from $mirror"
mmdebstrap --quiet --variant=apt bookworm "$root" \
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
FLY

inside "sh /tmp/fly.sh"

echo "== systemd for the verification: apt-get install systemd"
apt_inside install -y -q --no-install-recommends systemd >/dev/null
inside "echo \"the service after installation: \$(systemctl is-enabled flight-instrument.service)\"
        systemd-analyze verify /lib/systemd/system/flight-instrument.service && echo 'systemd-analyze verify: no complaints'"

echo "== apt-get purge flight-instrument: the pilot's logs stay"
apt_inside purge -y -q flight-instrument
inside "ls -la /var/lib/flight-instrument /var/lib/flight-instrument/FlyData; id flight-instrument"
echo "check-package-root: passed"
