#!/usr/bin/env bash
# Runs the shipped 32-bit Windows programs under Wine: the kovalin-headless.exe
# of build/windows-release in the headless smoke test, and the Kovalin.exe
# taken out of the win32 zip beside it in the short smoke test of the tray
# program under Xvfb (hidden start, a conversion, the dialog from the tray
# menu, "終了" writes Kovaset.ini).
#
# Where the kernel runs 32-bit x86 code, they run under plain 32-bit Wine in
# a win32 prefix, driven by the 32-bit test driver of the preset "windows".
# Where it does not, or with --emulated, qemu-user runs the 32-bit code: in a
# private namespace that hands 32-bit programs to qemu-i386
# (tests/e2e_win32/qemu/in_namespace.sh; Linux 6.7 or later), a win64 prefix
# is made, the programs run through Wine's WoW64 and the 64-bit driver of
# the preset "windows64" runs natively, so that only the programs under test
# (and cmd.exe for the batch converter) are emulated. A 32-bit prefix is not
# used there: its emulated Wine services meet qemu 7.2's threading bugs and
# hang now and then.
#
# Every step has a time limit and is named when it fails; a hang of the
# prefix's creation is retried once. The prefix is made anew on each run.
# The programs are those of the preset windows-release, or with --from the
# ones that another 32-bit preset built (scripts/test.sh passes "windows",
# whose programs are the same, so that they are not built twice).
#
# Usage: scripts/test-windows32.sh [--emulated] [--from PRESET]
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: $0 [--emulated] [--from PRESET]" >&2
  exit 2
}
emulated= programs=windows-release
/lib/ld-linux.so.2 --version >/dev/null 2>&1 || emulated=1
while [ $# -gt 0 ]; do
  case $1 in
  --emulated) emulated=1 ;;
  --from)
    [ $# -ge 2 ] || usage
    programs=$2
    shift
    ;;
  *) usage ;;
  esac
  shift
done

scripts/setup-debian.sh test
if [ -n "$emulated" ] && ! command -v qemu-i386 >/dev/null; then
  echo "--emulated needs qemu-i386: apt-get install qemu-user" >&2
  exit 2
fi
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1

# build PRESET TARGET...: only the targets named, configured when new.
build() {
  local preset=$1
  shift
  [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target "$@" >/dev/null
}
build "$programs" windows-zip kovalin-headless
if [ -n "$emulated" ]; then
  build windows64 kovalin_gui_driver
  driver=build/windows64/tests/e2e_win32/kovalin_gui_driver.exe
else
  build windows kovalin_gui_driver
  driver=build/windows/tests/e2e_win32/kovalin_gui_driver.exe
fi

dir=$PWD/build/windows32-check
rm -rf "$dir"
mkdir -p "$dir"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "build/$programs/CMakeCache.txt")
(cd "$dir" && cmake -E tar xf "$OLDPWD/build/$programs/Kovalin-$version-win32.zip")
kovalin=$dir/Kovalin-$version-win32/Kovalin.exe
headless=build/$programs/kovalin-headless.exe
export WINEPREFIX=$dir/wineprefix WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe,mscoree,mshtml="
export KOVALIN_WINE=wine

if [ -n "$emulated" ]; then
  # The preload that makes qemu 7.2 keep MAP_FIXED_NOREPLACE, and an empty
  # twin for the 64-bit programs that inherit LD_PRELOAD.
  preload=$dir/qemu
  mkdir -p "$preload/lib/i386-linux-gnu" "$preload/lib/x86_64-linux-gnu"
  gcc -m32 -O2 -fPIC -nostdlib -shared -o "$preload/lib/i386-linux-gnu/noreplace.so" \
    tests/e2e_win32/qemu/noreplace.c
  echo 'void kovalin_noreplace_twin(void) {}' |
    gcc -x c -O2 -fPIC -nostdlib -shared -o "$preload/lib/x86_64-linux-gnu/noreplace.so" -
  export KOVALIN_SLOW=4 KOVALIN_DRIVER_WINE=/usr/lib/wine/wine64
  # Each step in a namespace of its own, whose processes all end with it.
  run=(sh tests/e2e_win32/qemu/in_namespace.sh "$preload")
  boot='WINEARCH=win64 /usr/lib/wine/wine64 wineboot -i && wineserver -w'
  kernel32=$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll
  route="32-bit programs through qemu-user and WoW64"
else
  run=()
  boot='WINEARCH=win32 wine wineboot -i && wineserver -w'
  kernel32=$WINEPREFIX/drive_c/windows/system32/kernel32.dll
  route="plain 32-bit Wine"
fi
echo "== the shipped 32-bit programs ($route)"

# attempt SECONDS COMMAND...: runs COMMAND with a time limit and leaves no
# Wine process of the prefix behind. Its exit code is 124 when COMMAND
# outlived the limit, else COMMAND's (1 for COMMAND's own 124 or 137).
attempt() {
  local limit=$1 began=$SECONDS status=0
  shift
  timeout -k 10 "$limit" "$@" || status=$?
  [ -n "$emulated" ] || timeout 30 wineserver -k 2>/dev/null || true
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    if [ $((SECONDS - began)) -ge "$limit" ]; then status=124; else status=1; fi
  fi
  return "$status"
}

# step NAME SECONDS COMMAND...: one step; says how long it took, or that and
# why it failed.
step() {
  local name=$1 limit=$2 began=$SECONDS status=0
  shift 2
  attempt "$limit" "$@" || status=$?
  case $status in
  0) echo "ok: $name ($((SECONDS - began)) s)" ;;
  124) echo "FAIL: $name: not done after $limit s" >&2 ;;
  *) echo "FAIL: $name: exit code $status" >&2 ;;
  esac
  return "$status"
}

# The prefix; a creation that hangs is tried once more.
boot_limit=120
for try in 1 2; do
  rm -rf "$WINEPREFIX"
  began=$SECONDS
  status=0
  attempt "$boot_limit" "${run[@]}" sh -c "$boot" >"$dir/boot.log" 2>&1 || status=$?
  if [ "$status" -eq 0 ]; then
    [ -f "$kernel32" ] || {
      echo "FAIL: the prefix: Wine made no ${kernel32#"$WINEPREFIX"/}" >&2
      exit 1
    }
    echo "ok: the prefix ($((SECONDS - began)) s$([ "$try" -eq 1 ] || echo ", on the retry"))"
    break
  fi
  if [ "$status" -ne 124 ]; then
    echo "FAIL: the prefix: wineboot ended with exit code $status" >&2
    tail -n 20 "$dir/boot.log" >&2
    exit 1
  fi
  if [ "$try" -eq 2 ]; then
    echo "FAIL: the prefix: wineboot hung twice (not done after $boot_limit s)" >&2
    exit 1
  fi
  echo "RETRY: the prefix: wineboot not done after $boot_limit s; making it once more"
done

step "kovalin-headless.exe: version, a missing settings file, a conversion" 180 \
  "${run[@]}" sh tests/e2e_win32/qemu/headless_smoke.sh "$headless"
step "Kovalin.exe: hidden start, a conversion, the tray menu, 終了 and Kovaset.ini" 300 \
  "${run[@]}" xvfb-run -a -s "-screen 0 1024x768x24" \
  bash tests/e2e_win32/gui_smoke.sh --short "$kovalin" "$driver"
