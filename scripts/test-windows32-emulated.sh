#!/usr/bin/env bash
# Runs the smoke tests of the shipped 32-bit Windows programs (Kovalin.exe
# and kovalin-headless.exe of the preset "windows") under 32-bit Wine on a
# machine whose kernel runs no 32-bit code: qemu-user runs the 32-bit code,
# in a private user namespace (tests/e2e_win32/qemu/in_namespace.sh). Needs
# kernel 6.7 or later. Takes about 3 to 5 minutes; not part of
# scripts/test.sh (see README).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-debian.sh test
if ! command -v qemu-i386 >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends qemu-user
fi

cmake --preset windows >/dev/null
cmake --build --preset windows --target Kovalin kovalin-headless kovalin_gui_driver

# The preload that makes qemu 7.2 keep MAP_FIXED_NOREPLACE, and an empty
# twin for the 64-bit helpers that inherit LD_PRELOAD.
qemu=$PWD/build/windows/qemu
mkdir -p "$qemu/lib/i386-linux-gnu" "$qemu/lib/x86_64-linux-gnu"
gcc -m32 -O2 -fPIC -nostdlib -shared -o "$qemu/lib/i386-linux-gnu/noreplace.so" \
  tests/e2e_win32/qemu/noreplace.c
echo 'void kovalin_noreplace_twin(void) {}' |
  gcc -x c -O2 -fPIC -nostdlib -shared -o "$qemu/lib/x86_64-linux-gnu/noreplace.so" -

export WINEARCH=win32 WINEDEBUG=-all KOVALIN_WINE=wine KOVALIN_SLOW=4
export WINEDLLOVERRIDES="winemenubuilder.exe,mscoree,mshtml="
run() { sh tests/e2e_win32/qemu/in_namespace.sh "$qemu" "$@"; }

echo "== kovalin-headless.exe (32-bit, emulated)"
WINEPREFIX=$qemu/wineprefix run sh tests/e2e_win32/qemu/headless_smoke.sh build/windows/kovalin-headless.exe
echo "== Kovalin.exe (32-bit, emulated)"
WINEPREFIX=$qemu/wineprefix-gui run xvfb-run -a -s "-screen 0 1024x768x24" \
  bash tests/e2e_win32/gui_smoke.sh build/windows/Kovalin.exe build/windows/tests/e2e_win32/kovalin_gui_driver.exe
