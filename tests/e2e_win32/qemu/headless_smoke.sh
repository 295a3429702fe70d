#!/bin/sh
# Smoke test of kovalin-headless.exe under Wine: it answers --version,
# refuses a settings file that is not there, and converts the .flv waiting in
# the folder of its settings file with a batch file.
# Usage: headless_smoke.sh KOVALIN-HEADLESS.EXE
# Run with WINEPREFIX set; KOVALIN_WINE is the wine command, KOVALIN_SLOW a
# factor for the waits where the programs run emulated.
set -eu
headless=$1
work=$WINEPREFIX/drive_c/kovalin-headless-smoke
wine=${KOVALIN_WINE:-wine}
slow=${KOVALIN_SLOW:-1}
# A run that has not ended after 30 s (times the factor) has failed.
run_wine() {
  LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 timeout -k 5 $((30 * slow)) $wine "$@" </dev/null 2>/dev/null
}
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
cleanup() { wineserver -k 2>/dev/null || true; }
trap cleanup EXIT

rm -rf "$work"
mkdir -p "$work/watch"
cp "$headless" "$work/kovalin-headless.exe"
run_wine "$work/kovalin-headless.exe" --version >"$work/version.txt" || true
grep -q '^kovalin-headless ' "$work/version.txt" || fail "--version printed: $(cat "$work/version.txt")"
code=0
run_wine "$work/kovalin-headless.exe" 'C:\kovalin-headless-smoke\TYPO.ini' >/dev/null || code=$?
[ "$code" -ne 124 ] || fail "with a missing settings file it did not end"
[ "$code" -eq 2 ] || fail "a missing settings file gave exit code $code, not 2"

printf '@echo %%~1>>"C:\\kovalin-headless-smoke\\converted.txt"\r\n@del "C:\\kovalin-headless-smoke\\watch\\%%~1.flv"\r\n' \
  >"$work/conv.bat"
printf 'C:\\kovalin-headless-smoke\\watch\\\nC:\\kovalin-headless-smoke\\conv.bat\n0\n' >"$work/set.ini"
touch -d '1 hour ago' "$work/watch/clip.flv"
LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 $wine "$work/kovalin-headless.exe" 'C:\kovalin-headless-smoke\set.ini' \
  </dev/null >"$work/status.log" 2>&1 &
i=0
until grep -q '^clip' "$work/converted.txt" 2>/dev/null; do
  i=$((i + 1))
  [ $i -lt $((300 * slow)) ] || fail "the converter did not get clip: $(cat "$work/status.log")"
  sleep 0.1
done
echo "kovalin-headless.exe answered, refused a missing file and converted"
