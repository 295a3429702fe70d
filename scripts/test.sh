#!/usr/bin/env bash
# Builds Kovalin and runs every test suite: the plain build, the unit and
# integration tests under AddressSanitizer + UndefinedBehaviorSanitizer, and
# the threaded tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-debian.sh test

for preset in default asan tsan; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
