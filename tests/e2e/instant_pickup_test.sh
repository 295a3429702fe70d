#!/usr/bin/env bash
# kovalin-headless reacts to its folder: a recording moved into the folder
# just as the worker begins its 10 s idle pause is converted long before the
# pause would end, and a folder removed and made again, whose watch is gone,
# is still served.
#
# Usage: instant_pickup_test.sh KOVALIN-HEADLESS EXAMPLES-FOLDER
set -u
KOVALIN=$1
EXAMPLES=$2
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"

e2e_begin
watch=$work/watch
write_settings "$work/Kovaset.ini" "$watch" "\"$EXAMPLES/touch-convert.sh\" \"$watch\"" 0
start_headless "$work/Kovaset.ini"

# move_in NAME: a recording written beside the folder and moved in whole.
move_in() { make_bytes "$work/$1.flv" 100 && mv -- "$work/$1.flv" "$watch/"; }
converted() { [ -e "$watch/$1.mp4" ] && [ ! -e "$watch/$1.flv" ]; }

wait_for 30 last_status_is_idle || fail "kovalin-headless never became idle"
move_in first
wait_for 5 converted first || fail "a recording moved in waited for the next 10 s look"

rm -rf -- "$watch"
mkdir -- "$watch"
move_in second
wait_for 25 converted second || fail "the folder made again was not served"
stop_headless
echo "PASS"
