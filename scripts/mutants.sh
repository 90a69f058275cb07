#!/usr/bin/env bash
# Applies each small fault of tests/mutants/*.patch alone to a copy of the
# working tree, builds, runs the tests and prints which tests caught it.
# A fault that no test catches is reported as SURVIVED (exit status 1).
#   scripts/mutants.sh [PATCH ...]     default: every patch in tests/mutants
# The copy and its build live in build/mutants (or $MUTANTS_DIR); the
# working tree is never touched. Not part of CI: it takes some minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=${MUTANTS_DIR:-$root/build/mutants}
mkdir -p "$work"
rm -rf "$work/src" && mkdir -p "$work/src"
git ls-files -co --exclude-standard -z | grep -zv '^build/' | xargs -0 cp --parents -t "$work/src"
cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DFLIGHT_BUILD_BENCHMARKS=OFF -DFLIGHT_RECORDINGS_DIR="$root/../shared/data" >/dev/null
cmake --build "$work/build" >/dev/null

patches=("$@")
[ ${#patches[@]} -gt 0 ] || patches=(tests/mutants/*.patch)
survived=0
printf '%-28s %s\n' mutant "caught by"
for patch in "${patches[@]}"; do
  name=$(basename "$patch" .patch)
  (cd "$work/src" && patch -s -p1 <"$root/$patch")
  if ! cmake --build "$work/build" >"$work/$name.build.log" 2>&1; then
    caught="(does not build)"
  else
    ctest --test-dir "$work/build" -j "$(nproc)" --timeout 120 >"$work/$name.test.log" 2>&1 || true
    # The failed tests only (ctest lists skipped ones the same way above them).
    sed -n '/The following tests FAILED:/,$p' "$work/$name.test.log" |
      sed -nE 's/^[[:space:]]*[0-9]+ - ([^ ]+) \(.*/\1/p' | sort >"$work/$name.caught"
    count=$(wc -l <"$work/$name.caught")
    caught=""
    [ "$count" -eq 0 ] || caught="$count: $(head -3 "$work/$name.caught" | paste -sd' ' -)"
    [ "$count" -le 3 ] || caught="$caught ..."
  fi
  (cd "$work/src" && patch -s -R -p1 <"$root/$patch")
  if [ -z "$caught" ]; then caught="SURVIVED"; survived=1; fi
  printf '%-28s %s\n' "$name" "$caught"
done
cmake --build "$work/build" >/dev/null
exit "$survived"
