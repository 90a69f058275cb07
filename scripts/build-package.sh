#!/usr/bin/env bash
# Builds the Debian package with CPack, checks that it holds what an
# instrument needs, and runs lintian on it (failing on its errors):
#   scripts/build-package.sh      -> build/package/flight-instrument_<version>_<arch>.deb
# The programs are built as Debian builds its own: optimised, hardened
# (dpkg-buildflags), stripped, without tests or benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh dpkg-dev file help2man lintian

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DFLIGHT_DEB_PACKAGE=ON -DFLIGHT_BUILD_TESTS=OFF -DFLIGHT_BUILD_BENCHMARKS=OFF "${launcher[@]}" \
      -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
      -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build build/package
rm -f build/package/flight-instrument_*.deb
(cd build/package && cpack -G DEB >/dev/null)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/package/CMakeCache.txt)
deb=build/package/flight-instrument_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "build-package: no $deb" >&2; exit 1; }
scripts/check-package.sh "$deb"

echo "build-package: lintian $deb"
lintian --fail-on error --display-info "$deb" || { echo "build-package: lintian found errors" >&2; exit 1; }
echo "build-package: $deb"
