#!/usr/bin/env bash
# A request to end the tray program (SIGTERM at logout, Ctrl+C) ends it as the
# menu's "終了" does: exit code 0 and Kovaset.ini written, with the watch
# folder as the tick normalised it; a second request while it ends changes
# nothing. The converter that runs at that moment, which never ends by
# itself, goes on running after the program: the signal goes to the
# program's whole process group, as a terminal sends Ctrl+C, and reaches
# the converter only if it shares that group. Runs on Qt's offscreen
# platform.
#
# Usage: tray_stop_signal_test.sh KOVALIN
set -u
KOVALIN=$1
. "$(dirname "$0")/lib.sh"

kovalin_pid='' converter_pid=''
e2e_pid_vars="kovalin_pid converter_pid"
e2e_begin
watch=$work/watch
mkdir "$work/app"
cp -- "$KOVALIN" "$work/app/kovalin"
# A converter that writes down its process id, then holds its conversion
# until the test lets it go; it gives up when the work folder is gone.
cat >"$work/hold-convert.sh" <<'CONVERTER'
#!/bin/sh
echo $$ >"$1/../converter.new" && mv -- "$1/../converter.new" "$1/../converter.pid"
while [ ! -e "$1/../release" ] && [ -d "$1" ]; do sleep 0.05; done
: >"$1/$2.mp4" && rm -f -- "$1/$2.flv"
CONVERTER
chmod +x "$work/hold-convert.sh"
# The folder without its trailing "/": the file written at the end has it.
write_settings "$work/app/Kovaset.ini" "$watch" "\"$work/hold-convert.sh\" \"$watch\"" 7
echo recording >"$watch/clip.flv"
wait_until_past "$watch/clip.flv"

converter_started() { [ -s "$work/converter.pid" ]; }
converted() { [ -f "$watch/clip.mp4" ]; }
for signal in TERM INT; do
    # setsid: the program leads a process group of its own, which the
    # signal is sent to.
    (cd "$work/run" && QT_QPA_PLATFORM=offscreen exec setsid "$work/app/kovalin") \
        >"$work/status.log" 2>"$work/stderr.log" &
    kovalin_pid=$!
    # A started converter shows that the program runs with its settings published.
    wait_for 30 converter_started || fail "kovalin started no converter"
    converter_pid=$(cat "$work/converter.pid")
    # A second request while it ends (saving) changes nothing.
    kill -"$signal" -- "-$kovalin_pid"
    kill -"$signal" -- "-$kovalin_pid" 2>/dev/null
    code=0
    wait "$kovalin_pid" || code=$?
    kovalin_pid=
    [ "$code" -eq 0 ] || fail "kovalin ended with exit code $code on SIG$signal"
    expected=$(printf '%s/\n"%s" "%s"\n7\n' "$watch" "$work/hold-convert.sh" "$watch")
    [ "$(cat "$work/app/Kovaset.ini")" = "$expected" ] ||
        fail "after SIG$signal Kovaset.ini holds $(cat "$work/app/Kovaset.ini")"
    kill -0 "$converter_pid" 2>/dev/null || fail "the converter ended with kovalin on SIG$signal"
    # Let go, it still converts.
    : >"$work/release"
    wait_for 30 converted || fail "the converter left alive by SIG$signal converted nothing"
    converter_pid=
    rm -f -- "$watch/clip.mp4" "$work/release" "$work/converter.pid"
    echo recording >"$watch/clip.flv"
    wait_until_past "$watch/clip.flv"
done
echo "PASS: SIGTERM and SIGINT end kovalin with its settings written and its converter running"
