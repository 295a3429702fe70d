#!/usr/bin/env bash
# kovalin-headless and its settings file: a file named on the command line
# that is missing or unreadable gives one line and exit code 2; without an
# argument the file beside the executable may be missing; and where the
# executable's path cannot be read, no file of the current folder is taken
# for the settings.
#
# Usage: headless_settings_test.sh KOVALIN-HEADLESS EXAMPLES-FOLDER
set -u
KOVALIN=$1
EXAMPLES=$2
. "$(dirname "$0")/lib.sh"

e2e_begin

# expect_refusal ARGUMENT: exit code 2 and one line on standard error.
expect_refusal() {
    local code=0
    (cd "$work/run" && timeout 20 "$KOVALIN" "$1") >"$work/status.log" 2>"$work/stderr.log" || code=$?
    [ "$code" -eq 2 ] || fail "kovalin-headless $1 ended with exit code $code, not 2"
    [ "$(wc -l <"$work/stderr.log")" -eq 1 ] && grep -qF -- "$1" "$work/stderr.log" ||
        fail "kovalin-headless $1 said: $(cat "$work/stderr.log")"
}
expect_refusal TYPO.ini
mkdir "$work/run/folder.ini"
expect_refusal folder.ini

# No argument and no file beside the executable: the defaults, silently.
mkdir "$work/app"
cp -- "$KOVALIN" "$work/app/kovalin-headless"
KOVALIN=$work/app/kovalin-headless
# A configuration folder of the test's own: the user's may be in use.
(cd "$work/run" && exec env XDG_CONFIG_HOME="$work/config" "$KOVALIN") >"$work/status.log" 2>"$work/stderr.log" &
headless_pid=$!
wait_for 30 grep -q . "$work/status.log" || fail "kovalin-headless printed no status"
stop_headless
[ ! -s "$work/stderr.log" ] || fail "a missing file beside the executable was reported: $(cat "$work/stderr.log")"

# An executable whose path is longer than the system returns: the settings
# file of the folder it runs in, which would convert clip.flv, is not read;
# the one under $XDG_CONFIG_HOME is looked for instead.
echo recording >"$work/watch/clip.flv"
# cd_deep: goes one step at a time into a folder 18 x 241 bytes deep (a
# longer name than any one call takes), making it when missing.
cd_deep() {
    local name
    name=$(printf 'd%.0s' $(seq 240))
    cd "$work" || return 1
    for _ in $(seq 18); do
        mkdir -p "$name" && cd "$name" || return 1
    done
}
(cd_deep && cp -- "$KOVALIN" kovalin-headless &&
    write_settings Kovaset.ini "$work/watch" "\"$EXAMPLES/touch-convert.sh\" \"$work/watch\"" 0) || fail "cannot make a folder deeper than PATH_MAX"
(cd_deep && exec env XDG_CONFIG_HOME="$work/config" ./kovalin-headless) >"$work/status.log" 2>"$work/stderr.log" &
headless_pid=$!
wait_for 30 grep -q . "$work/status.log" || fail "kovalin-headless printed no status"
stop_headless
[ ! -e "$work/watch/clip.mp4" ] || fail "the settings file of the current folder was read"
echo "PASS: named settings files must be readable; no executable folder, no settings file beside it"
