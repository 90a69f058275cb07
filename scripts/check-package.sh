#!/usr/bin/env bash
# Checks that a built package holds what an instrument needs: the program
# in its storage folder, the tools on the PATH with their manual pages, the
# service, the udev rules, the platform's and the NMEA output's settings
# files (conffiles, the storage folder's Output.txt linked to the latter),
# the desktop entry and icons, the README, and dependencies found by
# dpkg-shlibdeps. Prints the package's files.
#   scripts/check-package.sh build/package/flight-instrument_<version>_<arch>.deb
set -euo pipefail
deb=${1:?usage: check-package.sh PACKAGE.deb}
storage=/var/lib/flight-instrument
problems=0
problem() { echo "check-package: $*" >&2; problems=$((problems + 1)); }

echo "check-package: the files of $deb"
dpkg-deb --contents "$deb" | awk '{ $3 = ""; $4 = ""; $5 = ""; print }' | sed 's/   */ /'
declare -A mode
while read -r perms _ _ _ _ path _; do mode[$path]=$perms; done < <(dpkg-deb --contents "$deb")

# path, mode
while read -r path want; do
  if [ -z "${mode[.$path]:-}" ]; then
    problem "missing $path"
  elif [ "${mode[.$path]}" != "$want" ]; then
    problem "$path has mode ${mode[.$path]}, not $want"
  fi
done <<LIST
$storage/flight-instrument -rwxr-xr-x
/usr/bin/flight-replay -rwxr-xr-x
/usr/bin/flight-sim -rwxr-xr-x
/usr/libexec/flight-instrument/start -rwxr-xr-x
/usr/share/man/man1/flight-replay.1.gz -rw-r--r--
/usr/share/man/man1/flight-sim.1.gz -rw-r--r--
/lib/systemd/system/flight-instrument.service -rw-r--r--
/lib/udev/rules.d/60-flight-instrument.rules -rw-r--r--
/etc/default/flight-instrument -rw-r--r--
/etc/flight-instrument/Output.txt -rw-r--r--
/usr/share/applications/flight-instrument.desktop -rw-r--r--
/usr/share/icons/hicolor/32x32/apps/flight-instrument.png -rw-r--r--
/usr/share/icons/hicolor/16x16/apps/flight-instrument.png -rw-r--r--
/usr/share/doc/flight-instrument/README -rw-r--r--
/usr/share/doc/flight-instrument/copyright -rw-r--r--
/usr/share/doc/flight-instrument/changelog.gz -rw-r--r--
LIST

name=$(basename "$deb" .deb)
IFS=_ read -r package version arch <<<"$name"
[ "$(dpkg-deb --field "$deb" Package)" = flight-instrument ] || problem "the package is not named flight-instrument"
[ "$package" = flight-instrument ] || problem "the file is not named flight-instrument_<version>_<arch>.deb"
[ "$(dpkg-deb --field "$deb" Version)" = "$version" ] || problem "its version is not the file name's $version"
[ "$(dpkg-deb --field "$deb" Architecture)" = "$arch" ] || problem "its architecture is not the file name's $arch"
depends=$(dpkg-deb --field "$deb" Depends)
for needed in libqt6widgets6 libasound2 libc6 adduser libqt6opengl6; do
  [[ ",$depends" == *[\ ,]"$needed"[\ ,\(]* || ",$depends" == *[\ ,]"$needed" ]] || problem "Depends lacks $needed: $depends"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb --extract "$deb" "$work/root"
dpkg-deb --control "$deb" "$work/control"
[ "$(cat "$work/control/conffiles" 2>/dev/null)" = "$(printf '/etc/default/flight-instrument\n/etc/flight-instrument/Output.txt')" ] ||
  problem "the conffiles are not /etc/default/flight-instrument and /etc/flight-instrument/Output.txt"
grep -q '^TCP port: 10110$' "$work/root/etc/flight-instrument/Output.txt" ||
  problem "Output.txt does not open TCP port 10110"
grep -q "ln -s /etc/flight-instrument/Output.txt \"\$storage/Output.txt\"" "$work/control/postinst" ||
  problem "postinst does not link the storage folder's Output.txt to the conffile"
for script in postinst prerm postrm; do [ -x "$work/control/$script" ] || problem "no $script"; done
for program in $storage/flight-instrument /usr/bin/flight-replay /usr/bin/flight-sim; do
  file "$work/root$program" | grep -q 'ELF.*, stripped' || problem "$program is not a stripped program"
done
grep -q '^Exec=/var/lib/flight-instrument/flight-instrument$' "$work/root/usr/share/applications/flight-instrument.desktop" ||
  problem "the desktop entry does not start the program"
grep -q '^ExecStart=/usr/libexec/flight-instrument/start$' "$work/root/lib/systemd/system/flight-instrument.service" ||
  problem "the service does not start through /usr/libexec/flight-instrument/start"
grep -q "^program=$storage/flight-instrument$" "$work/root/usr/libexec/flight-instrument/start" ||
  problem "the service's start does not run the program"
grep -q '^## Connecting a GPS' "$work/root/usr/share/doc/flight-instrument/README" ||
  problem "the README lacks \"Connecting a GPS\""
if grep -rIq '@[A-Z_]*@' "$work"; then problem "a name was left unreplaced in $(grep -rIl '@[A-Z_]*@' "$work")"; fi

if [ "$problems" -gt 0 ]; then
  echo "check-package: $problems problems in $deb" >&2
  exit 1
fi
echo "check-package: $deb holds what an instrument needs (Depends: $depends)"
