#!/usr/bin/env bash
# Builds Kovalin and runs every test suite: the plain build, the unit and
# integration tests under AddressSanitizer + UndefinedBehaviorSanitizer, the
# threaded tests under ThreadSanitizer, and the 32-bit Windows programs
# cross-built with MinGW-w64, their tests run under Wine (as 64-bit programs
# where the kernel runs no 32-bit code).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-debian.sh test

build_preset() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}

run_preset() {
  echo "== $1"
  build_preset "$1"
  ctest --preset "$1"
}

# True when the kernel runs 32-bit x86 programs (some virtual machines have
# that switched off); 32-bit Wine needs it.
runs_32bit_code() {
  /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

for preset in default asan tsan; do
  run_preset "$preset"
done

# Kovalin.exe is a 32-bit program and its tests run under 32-bit Wine. Where
# the kernel cannot run 32-bit code, the 32-bit programs are still built, and
# the same sources are tested as 64-bit programs under 64-bit Wine.
if runs_32bit_code; then
  run_preset windows
else
  echo "== windows (build only: this kernel runs no 32-bit code)"
  build_preset windows
  # What needs no Wine: the shipped 32-bit program's manifest.
  ctest --preset windows -R '^win32_manifest$'
  run_preset windows64
fi

# The benchmarks are only built, so that they keep compiling; running them
# is a separate step (BENCHMARKS.md).
echo "== bench (build only)"
cmake --preset bench >/dev/null
cmake --build --preset bench --target kovalin_folder_bench

echo "== fuzz"
scripts/fuzz.sh 20
