#!/usr/bin/env bash
# kovalin-headless hands titles full of shell syntax to a converter: each
# title reaches the converter as words of its own, nothing in it is run, a
# title that the command line cannot carry (double quotes group words) is
# left in place without harm, an escape sequence in a title never reaches the
# status lines, and a FIFO named .flv is never handed over.
#
# Usage: hostile_names_test.sh KOVALIN-HEADLESS EXAMPLES-FOLDER
set -u
KOVALIN=$1
EXAMPLES=$2
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"

e2e_begin
watch=$work/watch
settings=$work/Kovaset.ini
start_dir=$PWD

# The single quotes keep every title literal.
# shellcheck disable=SC2016
titles=(
    "it's a clip"
    '$(touch pwned)'
    '`touch pwned`; touch pwned & x*y | tee z > pwned'
    '-rf --help'
    $'two\nlines'
    $'\xff\xfe not UTF-8 \xe9'
    $'esc\e[31mred'
)
for title in "${titles[@]}"; do
    make_bytes "$watch/$title.flv" 100
done
echo "canary" >"$watch/canary"
mkfifo "$watch/fifo.flv" || fail "cannot make a FIFO"
wait_until_past "$watch/${titles[-1]}.flv"
# The newest, so that it never stands before the others.
# shellcheck disable=SC2016
quoted='say "hi" $(touch pwned)'
make_bytes "$watch/$quoted.flv" 100
wait_until_past "$watch/$quoted.flv"

write_settings "$settings" "$watch" "\"$EXAMPLES/touch-convert.sh\" \"$watch\"" 0
start_headless "$settings"

others_done_and_quoted_tried() {
    [ "$(find "$watch" -maxdepth 1 -name '*.flv' | wc -l)" -eq 2 ] &&
        grep -qF "$quoted" "$work/status.log" && grep -qF '変換できなかったファイル 2件' "$work/status.log"
}
wait_for 120 others_done_and_quoted_tried || fail "the titles were not all tried in 120 s"

expected=(canary "$quoted.flv" fifo.flv)
for title in "${titles[@]}"; do
    expected+=("$title.mp4" "$title.jpg")
done
expect_listing "${expected[@]}"

[ -p "$watch/fifo.flv" ] || fail "the FIFO is gone"
! grep -qF 'fifoを変換中' "$work/status.log" || fail "the FIFO was handed to the converter"
! grep -q $'\e' "$work/status.log" || fail "an escape sequence reached the status lines"

pwned=$(find "$work" "$start_dir" -maxdepth 3 -name pwned -print -quit 2>/dev/null)
[ -z "$pwned" ] || fail "a title was run as a command: $pwned exists"

stop_headless
echo "PASS"
