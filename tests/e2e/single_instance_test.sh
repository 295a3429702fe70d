#!/usr/bin/env bash
# One kovalin-headless per settings file: a second start on the same file,
# even spelt another way, ends with exit code 2 and the first one's PID while
# the first converts, and no second converter starts. So does a start in
# another sandbox (its own runtime folder and TMPDIR, so another per-user
# lock) and, where the test runs as root, one as the user nobody: the lock on
# the file itself stops them. Another settings file runs beside it. The tray
# program, given, shares the lock: started on the same file through a link,
# it gets no answer from kovalin-headless and ends with code 2. A killed
# instance leaves nothing that stops the next start, but its converter keeps
# the recording: the next instance hands it to nobody while that converter
# runs, and not at all once it has removed it.
#
# Usage: single_instance_test.sh KOVALIN-HEADLESS [KOVALIN]
set -u
KOVALIN=$1
TRAY=${2:-}
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"

other_pid=
e2e_pid_vars=other_pid
e2e_begin
watch=$work/watch
settings=$work/Kovaset.ini

# The converter notes each start and holds the recording until released, or
# until the test's folder is gone (a failed test leaves no converter behind).
converter=$work/held-convert.sh
cat >"$converter" <<SCRIPT
#!/bin/sh
echo "start \$1" >>"$work/converter.log"
until [ -e "$work/release" ] || [ ! -d "$work" ]; do sleep 0.05; done
rm -f -- "$watch/\$1.flv"
SCRIPT
chmod +x "$converter"
write_settings "$settings" "$watch" "$converter" 0
echo recording >"$watch/clip.flv"
wait_until_past "$watch/clip.flv"

starts_are() {
    local starts
    starts=$(grep -cx 'start clip' "$work/converter.log" 2>/dev/null)
    [ "${starts:-0}" -eq "$1" ]
}

start_headless "$settings"
wait_for 30 starts_are 1 || fail "the first instance started no converter"

code=0
(cd "$work/run" && timeout 30 "$KOVALIN" ../Kovaset.ini) >/dev/null 2>"$work/second.log" || code=$?
[ "$code" -eq 2 ] || fail "a second start ended with exit code $code"
grep -qF "(PID $headless_pid)" "$work/second.log" ||
    fail "a second start said: $(cat "$work/second.log")"

# second_start_refused WHAT COMMAND...: the start ends with code 2, told by
# the settings file's own lock.
second_start_refused() {
    local what=$1 code=0
    shift
    "$@" "$KOVALIN" "$settings" >/dev/null 2>"$work/refused.log" || code=$?
    [ "$code" -eq 2 ] || fail "a start $what ended with exit code $code"
    grep -qF "is in use by another Kovalin" "$work/refused.log" ||
        fail "a start $what said: $(cat "$work/refused.log")"
}
mkdir -m 700 "$work/sandbox"
second_start_refused "in another sandbox" \
    env XDG_RUNTIME_DIR="$work/sandbox" TMPDIR="$work/sandbox" timeout 30
if [ "$(id -u)" -eq 0 ]; then
    mkdir -m 700 "$work/nobody"
    chown 65534:65534 "$work/nobody"
    chmod o+x "$work"
    chmod o+r "$settings"
    second_start_refused "as nobody" env XDG_RUNTIME_DIR="$work/nobody" \
        setpriv --reuid=65534 --regid=65534 --clear-groups timeout 30
fi
if [ -n "$TRAY" ]; then
    mkdir "$work/app"
    cp -- "$TRAY" "$work/app/kovalin"
    ln -s ../Kovaset.ini "$work/app/Kovaset.ini"
    code=0
    QT_QPA_PLATFORM=offscreen timeout 30 "$work/app/kovalin" >/dev/null 2>"$work/tray.log" || code=$?
    [ "$code" -eq 2 ] || fail "the tray program ended with exit code $code beside kovalin-headless"
    grep -qF "(PID $headless_pid) does not answer" "$work/tray.log" ||
        fail "the tray program said: $(cat "$work/tray.log")"
fi
starts_are 1 || fail "a second converter started"

mkdir "$work/other"
write_settings "$work/other.ini" "$work/other" "$converter" 0
"$KOVALIN" "$work/other.ini" >"$work/other.log" 2>&1 &
other_pid=$!
other_runs() { grep -qF '待機中' "$work/other.log"; }
wait_for 30 other_runs || fail "another settings file did not run beside the first"

{ kill -KILL "$headless_pid" && wait "$headless_pid"; } 2>/dev/null
start_headless "$settings"
waits_for_converter() { grep -qF '待機中 使用終了待ち 1件' "$work/status.log"; }
wait_for 30 waits_for_converter || fail "no new start ran after kill -9, or it did not wait"
starts_are 1 || fail "the recording went to a second converter while the first ran"
touch "$work/release"
wait_for 30 no_flv_left || fail "the recording was not converted"
idle_with_nothing_waiting() { tail -n 1 "$work/status.log" | grep -q ' 待機中$'; }
wait_for 30 idle_with_nothing_waiting || fail "the new instance still waits: $(tail -n 1 "$work/status.log")"
starts_are 1 || fail "a second converter started on the removed recording"
stop_headless
echo "PASS: one kovalin-headless per settings file"
