#!/usr/bin/env bash
# Smoke test of Kovalin.exe under Wine and Xvfb: it starts beside a
# Kovaset.ini, converts the .flv waiting in its folder with a batch file,
# shows its settings from the tray menu, refuses a bad limit with its
# message, lets both browse dialogs pick the published values, ignores Enter,
# Esc and close requests, takes new settings, ends through "終了" and leaves
# them in the file; started again, it reads them, a start beside it shows its
# dialog, the end of the Windows session saves the settings applied since,
# and with the file read-only "終了" says why it could not save before it
# ends. With --short only the first start runs, without the refusal, the
# browse dialogs and the keys: hidden start, conversion, the dialog from the
# tray menu, new settings, "終了" and the file.
# Usage: gui_smoke.sh [--short] KOVALIN.EXE DRIVER.EXE [SCREENSHOT.png]
# Run inside xvfb-run, with WINEPREFIX set to a prefix of its own. The test
# works in C:\kovalin-smoke of that prefix.
set -eu
# shellcheck source=../e2e/lib.sh
. "$(dirname "$0")/../e2e/lib.sh"

short=
if [ "${1:-}" = --short ]; then
  short=1
  shift
fi
kovalin=$1 driver=$2 screenshot=${3:-}
work=$WINEPREFIX/drive_c/kovalin-smoke

# Seconds to wait for a condition: 30, times KOVALIN_SLOW where the programs
# run emulated.
patience=$((30 * ${KOVALIN_SLOW:-1}))

# Windows path of a file in the work folder.
winpath() { printf 'C:\\kovalin-smoke%s' "${1#"$work"}" | tr / '\\'; }

# Wine in a Japanese locale, with nothing of it on our output; a command
# that outlives twice the patience counts as failed.
# KOVALIN_WINE is the command that runs this build's programs under Wine,
# KOVALIN_DRIVER_WINE the one for the driver where that differs.
wine=${KOVALIN_WINE:-wine}
driver_wine=${KOVALIN_DRIVER_WINE:-$wine}
with_wine() {
  LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 timeout -k 5 $((2 * patience)) "$@" </dev/null 2>/dev/null
}
run_wine() { with_wine $wine "$@"; }
drive() { with_wine $driver_wine "$work/driver.exe" "$@"; }

prepare_prefix() {
  # A server that outlives each wine command, holding none of our output.
  run_wine cmd /c exit >/dev/null || fail "Wine does not start"
  wineserver -p </dev/null >/dev/null 2>&1 || true
  [ -f "$WINEPREFIX/.kovalin-gui" ] && return 0
  # A virtual desktop with a taskbar and a notification area (not where the
  # programs run emulated: its window does not last there).
  if [ -z "${KOVALIN_SLOW:-}" ]; then
    run_wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
    run_wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f >/dev/null
  fi
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  # IPA P Gothic has the metrics of the dialog's font; without it Wine falls
  # back to a wider one, which cuts the ends of the labels.
  if fc-list | grep -q IPAPGothic; then
    run_wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f >/dev/null
  fi
  touch "$WINEPREFIX/.kovalin-gui"
}

cleanup() { wineserver -k 2>/dev/null || true; }
trap cleanup EXIT

prepare_prefix
rm -rf "$work"
mkdir -p "$work/動画" "$work/新しい"
cp "$kovalin" "$work/Kovalin.exe"
cp "$driver" "$work/driver.exe"

watch="$(winpath "$work/動画")\\"
newwatch="$(winpath "$work/新しい")\\"
program=$(winpath "$work/conv.bat")
# The converter notes its argument and takes the .flv away.
printf '@echo %%~1>>"%s"\r\n@del "%s%%~1.flv"\r\n' "$(winpath "$work/converted.txt")" "$watch" |
  iconv -f UTF-8 -t CP932 >"$work/conv.bat"
printf '%s\n%s\n0\n' "$watch" "$program" | iconv -f UTF-8 -t CP932 >"$work/Kovaset.ini"
touch -d '1 hour ago' "$work/動画/clip.flv"

LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 $wine "$work/Kovalin.exe" </dev/null >"$work/kovalin.log" 2>&1 &
kovalin_pid=$!

drive wait-hidden || fail "the settings dialog is not there, hidden"
wait_for "$patience" grep -q "^clip" "$work/converted.txt" 2>/dev/null || fail "the converter did not get clip"
wait_for "$patience" test ! -e "$work/動画/clip.flv" || fail "clip.flv is still there"

drive menu 1 || fail "the tray menu did not open"
drive wait-shown || fail "設定 did not show the dialog"
drive get 1000 >"$work/box.txt" || fail "cannot read box 1000"
[ "$(iconv -f CP932 -t UTF-8 "$work/box.txt")" = "$watch" ] || fail "the folder box holds $(cat "$work/box.txt")"
if [ -n "$screenshot" ]; then
  sleep 4 # let the desktop and the dialog paint
  import -window root -crop 800x600+0+0 "$screenshot"
fi

if [ -z "$short" ]; then
  # A limit that is no number is refused with the framework's message; the
  # dialog hides all the same and keeps the limit.
  drive set 1003 x && drive click 1004 || fail "cannot apply a bad limit"
  drive owned-text >"$work/message.txt" || fail "no refusal message"
  [ "$(iconv -f CP932 -t UTF-8 "$work/message.txt")" = "Kovalin: 正の整数を入力してください。" ] ||
    fail "the refusal reads $(iconv -f CP932 -t UTF-8 "$work/message.txt")"
  drive accept-owned && drive wait-hidden || fail "the dialog did not hide after the refusal"
  drive menu 1 && drive wait-shown || fail "設定 did not show the dialog again"
  drive get 1003 >"$work/box.txt" || fail "cannot read box 1003"
  [ "$(cat "$work/box.txt")" = 0 ] || fail "the refused limit changed the limit to $(cat "$work/box.txt")"

  # The browse dialogs start from the published settings, not from the boxes.
  # (Wine hands the UTF-8 arguments to the driver in code page 932.)
  drive set 1000 'C:\elsewhere' && drive set 1001 'C:\other.exe' || fail "cannot type"
  drive click 1007 && drive accept-owned && drive sync || fail "the folder browser did not open and close"
  drive get 1000 >"$work/box.txt" || fail "cannot read box 1000"
  [ "$(iconv -f CP932 -t UTF-8 "$work/box.txt")" = "$watch" ] || fail "the folder browser gave $(cat "$work/box.txt")"
  drive click 1006 && drive accept-owned && drive sync || fail "the open-file dialog did not open and close"
  drive get 1001 >"$work/box.txt" || fail "cannot read box 1001"
  [ "$(iconv -f CP932 -t UTF-8 "$work/box.txt")" = "$program" ] || fail "the open-file dialog gave $(cat "$work/box.txt")"
fi

drive set 1000 "$newwatch" || fail "cannot type the folder"
drive set 1003 5 || fail "cannot type the limit"
if [ -z "$short" ]; then
  drive key 1000 13 && drive key 1003 27 && drive close && drive sync || fail "cannot press keys"
  drive wait-shown || fail "Enter, Esc or a close request hid the dialog"
  drive get 1003 >"$work/box.txt" || fail "cannot read box 1003"
  [ "$(cat "$work/box.txt")" = 5 ] || fail "Enter, Esc or a close request dropped the edits"
fi
drive click 1004 || fail "cannot press 設定"
drive wait-hidden || fail "設定 did not hide the dialog"

drive menu 2 || fail "終了 could not be chosen"
wait_for "$patience" sh -c "! kill -0 $kovalin_pid 2>/dev/null" || fail "Kovalin.exe did not end"

settings_are() {
  expected=$(printf '%s\n%s\n%s\n' "$newwatch" "$program" "$1" | iconv -f UTF-8 -t CP932 | od -An -tx1)
  [ "$(od -An -tx1 "$work/Kovaset.ini")" = "$expected" ]
}
settings_are 5 || fail "Kovaset.ini holds: $(cat "$work/Kovaset.ini")"
if [ -n "$short" ]; then
  echo "Kovalin.exe converted, showed and took its settings, and saved them at 終了"
  exit 0
fi

LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 $wine "$work/Kovalin.exe" </dev/null >>"$work/kovalin.log" 2>&1 &
kovalin_pid=$!
drive wait-hidden || fail "the second start shows no hidden dialog"
# A start beside the running one shows that one's dialog and ends with 0.
LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 timeout 60 $wine "$work/Kovalin.exe" </dev/null >>"$work/kovalin.log" 2>&1 ||
  fail "a start beside a running Kovalin.exe ended with exit code $?"
drive wait-shown || fail "a start beside a running Kovalin.exe did not show its dialog"
drive menu 1 && drive wait-shown || fail "設定 did not show the dialog again"
drive get 1003 >"$work/box.txt" || fail "cannot read box 1003"
[ "$(cat "$work/box.txt")" = 5 ] || fail "the second start did not read the limit"
drive set 1003 7 && drive click 1004 && drive wait-hidden || fail "cannot apply a new limit"
drive end-session || fail "cannot end the session"
settings_are 7 || fail "the end of the session did not save the settings"

# A read-only Kovaset.ini is left alone, and "終了" says so before it ends.
chmod a-w "$work/Kovaset.ini"
drive menu 1 || fail "設定 could not be chosen with the file read-only"
drive wait-shown || fail "設定 did not show the dialog with the file read-only"
drive set 1003 9 && drive click 1004 || fail "cannot apply a limit for the read-only file"
drive wait-hidden || fail "the dialog stayed after applying a limit for the read-only file"
drive menu 2 || fail "終了 could not be chosen"
drive owned-text >"$work/message.txt" || fail "no message about the failed save"
message=$(iconv -f CP932 -t UTF-8 "$work/message.txt")
case $message in
*"$(winpath "$work/Kovaset.ini")"*読み取り専用*) ;;
*) fail "the failed save reads: $message" ;;
esac
kill -0 $kovalin_pid 2>/dev/null || fail "Kovalin.exe ended before its message was closed"
drive accept-owned || fail "cannot close the message"
wait_for "$patience" sh -c "! kill -0 $kovalin_pid 2>/dev/null" || fail "Kovalin.exe did not end"
settings_are 7 || fail "the read-only Kovaset.ini was changed"
chmod u+w "$work/Kovaset.ini"
echo "Kovalin.exe converted, showed, took, saved and read its settings"
