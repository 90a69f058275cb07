#!/usr/bin/env bash
# Installs what is missing (the IGC reader igc-parser from npm included),
# builds everything with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs all tests.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh xvfb xdotool libx11-dev gpsd
scripts/install-igc-parser.sh ||
  echo "test: igc-parser could not be installed: the end-to-end tests skip the IGC reader's check" >&2
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFLIGHT_SANITIZE=ON
cmake --build build/test
ctest --test-dir build/test --output-on-failure -j "$(nproc)"
