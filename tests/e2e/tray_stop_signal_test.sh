#!/usr/bin/env bash
# A request to end the tray program (SIGTERM at logout, Ctrl+C) ends it as the
# menu's "終了" does: exit code 0 and Kovaset.ini written, with the watch
# folder as the tick normalised it; a second request while it ends changes
# nothing. Runs on Qt's offscreen platform.
#
# Usage: tray_stop_signal_test.sh KOVALIN EXAMPLES-FOLDER
set -u
KOVALIN=$1
EXAMPLES=$2
. "$(dirname "$0")/lib.sh"

kovalin_pid=
e2e_pid_vars=kovalin_pid
e2e_begin
watch=$work/watch
mkdir "$work/app"
cp -- "$KOVALIN" "$work/app/kovalin"
# The folder without its trailing "/": the file written at the end has it.
write_settings "$work/app/Kovaset.ini" "$watch" "\"$EXAMPLES/touch-convert.sh\" \"$watch\"" 7
echo recording >"$watch/clip.flv"
wait_until_past "$watch/clip.flv"

for signal in TERM INT; do
    (cd "$work/run" && QT_QPA_PLATFORM=offscreen exec "$work/app/kovalin") \
        >"$work/status.log" 2>"$work/stderr.log" &
    kovalin_pid=$!
    # A conversion shows that the program runs with its settings published.
    converted() { [ -f "$watch/clip.mp4" ]; }
    wait_for 30 converted || fail "kovalin converted nothing"
    # A second request while it ends (saving) changes nothing.
    kill -"$signal" "$kovalin_pid"
    kill -"$signal" "$kovalin_pid" 2>/dev/null
    code=0
    wait "$kovalin_pid" || code=$?
    kovalin_pid=
    [ "$code" -eq 0 ] || fail "kovalin ended with exit code $code on SIG$signal"
    expected=$(printf '%s/\n"%s" "%s"\n7\n' "$watch" "$EXAMPLES/touch-convert.sh" "$watch")
    [ "$(cat "$work/app/Kovaset.ini")" = "$expected" ] ||
        fail "after SIG$signal Kovaset.ini holds $(cat "$work/app/Kovaset.ini")"
    rm -f -- "$watch/clip.mp4" "$watch/clip.jpg"
    echo recording >"$watch/clip.flv"
    wait_until_past "$watch/clip.flv"
done
echo "PASS: SIGTERM and SIGINT end kovalin with its settings written"
