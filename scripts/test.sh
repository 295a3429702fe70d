#!/usr/bin/env bash
# Builds Kovalin and runs every test suite: every suite once in one build
# under AddressSanitizer + UndefinedBehaviorSanitizer (the long soak instead
# in a build without sanitizers, where its memory check counts), the
# threaded tests under ThreadSanitizer, the Windows programs cross-built with
# MinGW-w64 and their tests run under Wine, the shipped 32-bit Windows
# programs run under 32-bit Wine (through qemu-user where the kernel runs no
# 32-bit code), the Debian packages built and checked with the benchmarks
# compiled beside them, and the fuzzers run for a short time.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-debian.sh test

# ccache, where present, keys on paths relative to the checkout and not on
# the build folder's own path (which only the debug information names), so
# that a clone in another folder reuses what an earlier one compiled.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1

started=$SECONDS
phase() { echo "== $1 (at $((SECONDS - started)) s)"; }

build_preset() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}

run_preset() {
  phase "$1"
  build_preset "$1"
  ctest --preset "$1"
}

# True when the kernel runs 32-bit x86 programs (some virtual machines have
# that switched off); 32-bit Wine needs it. KOVALIN_NO_32BIT=1 takes the
# other route anyway, to try it on such a machine.
runs_32bit_code() {
  [ -z "${KOVALIN_NO_32BIT:-}" ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

phase "include directions, cited tests"
scripts/check-includes.sh
scripts/check-cited-tests.sh

run_preset asan
run_preset tsan
# The soak test's memory check means something only without a sanitizer.
run_preset soak

# The programs as released: the Debian packages as scripts/package.sh builds
# them (Release, Debian's hardening flags, warnings as errors), checked by
# lintian, then installed, used once and removed. The benchmarks are compiled
# in the same build so that they keep compiling; running them is
# BENCHMARKS.md's business.
phase "Debian packages, with the benchmarks built"
scripts/package.sh -DKOVALIN_BUILD_BENCH=ON
tests/packages/debian_packages_test.sh build/packages

# The Windows programs' tests: under 32-bit Wine where the kernel runs 32-bit
# code; elsewhere the same sources are tested as 64-bit programs under
# 64-bit Wine.
if runs_32bit_code; then
  # Its programs and zip are the shipped ones, tested below.
  run_preset windows
  from=(--from windows)
else
  from=(--emulated)
  phase "windows-release (build only: this kernel runs no 32-bit code)"
  build_preset windows-release
  # What needs no Wine: the shipped 32-bit program's manifest.
  sh tests/e2e_win32/manifest_test.sh i686-w64-mingw32-objdump build/windows-release/Kovalin.exe
  run_preset windows64
fi

# The shipped 32-bit programs themselves, the Kovalin.exe of the win32 zip
# and kovalin-headless.exe, run once: under 32-bit Wine, through qemu-user
# where the kernel runs no 32-bit code.
phase "the shipped 32-bit Windows programs"
scripts/test-windows32.sh "${from[@]}"

phase fuzz
scripts/fuzz.sh 15
phase done
