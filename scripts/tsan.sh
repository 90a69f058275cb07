#!/usr/bin/env bash
# Builds the window, port, loop and output tests with ThreadSanitizer and
# runs them: the acquisition thread, the window thread and the NMEA output
# thread must share nothing unguarded.
#   scripts/tsan.sh          exit 0 when ThreadSanitizer reports nothing
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
# The end-to-end cases among the window tests read their track logs with it.
scripts/install-igc-parser.sh ||
  echo "tsan: igc-parser could not be installed: the end-to-end tests skip the IGC reader's check" >&2
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLIGHT_TSAN=ON \
      -DFLIGHT_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/tsan --target app_tests device_tests flight_tests output_tests
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
export QT_QPA_PLATFORM=offscreen
for program in app/app_tests device/device_tests flight/flight_tests output/output_tests; do
  echo "== $program"
  "build/tsan/tests/$program" --gtest_brief=1
done
echo "ThreadSanitizer: no report"
