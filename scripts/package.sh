#!/usr/bin/env bash
# Builds the Debian packages kovalin (the tray program) and kovalin-headless
# into build/packages/, with Debian's hardening flags:
#     sudo apt install ./build/packages/*.deb
# Arguments go to cmake's configure step (scripts/test.sh adds the
# benchmarks, so that one build compiles both).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-debian.sh package

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# The programs are packaged stripped, with no debug package beside them, so
# no debug information is compiled.
export DEB_CXXFLAGS_MAINT_STRIP=-g
cmake --preset package \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" -DKOVALIN_BUILD_BENCH=OFF "$@" >/dev/null
cmake --build --preset package

rm -rf build/package/cpack build/packages
cpack --config build/package/CPackConfig.cmake -B "$PWD/build/package/cpack" >/dev/null
mkdir -p build/packages
cp build/package/cpack/*.deb build/packages/
ls build/packages/*.deb
