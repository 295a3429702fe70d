#!/usr/bin/env bash
# Builds Kovalin and runs every test suite: the plain build, the unit and
# integration tests under AddressSanitizer + UndefinedBehaviorSanitizer, the
# threaded tests under ThreadSanitizer, and the 32-bit Windows programs
# cross-built with MinGW-w64, their tests run under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-debian.sh test

for preset in default asan tsan windows; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

# The benchmarks are only built, so that they keep compiling; running them
# is a separate step (BENCHMARKS.md).
echo "== bench (build only)"
cmake --preset bench >/dev/null
cmake --build --preset bench --target kovalin_folder_bench

echo "== fuzz"
scripts/fuzz.sh 20
