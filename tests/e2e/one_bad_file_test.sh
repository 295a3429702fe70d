#!/usr/bin/env bash
# One file can neither stall the queue nor make the quota empty the folder:
# - junk.flv, the oldest recording, is appended to every 0.2 s, also while
#   its converter runs, and its converter always leaves it: the three
#   recordings beside it are converted at once, and junk.flv is not tried
#   again within 10 s;
# - zz.jpg, 11 MiB without an .mp4 of its title, holds the folder over the
#   limit alone: no recording is deleted, and the status says why; cut to
#   1 MiB, the oldest pairs go until the folder fits.
#
# Usage: one_bad_file_test.sh KOVALIN-HEADLESS EXAMPLES-FOLDER
set -u
KOVALIN=$1
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"

e2e_begin
watch=$work/watch
log=$work/convert.log
# The converter notes when it starts, takes 0.3 s, and removes every
# recording but junk.flv.
cat >"$work/convert.sh" <<'EOF'
#!/bin/sh
echo "$(date +%s.%N) $KOVALIN_TITLE" >>"$1"
sleep 0.3
[ "$KOVALIN_TITLE" = junk ] || rm -f -- "$KOVALIN_FILE"
EOF
chmod +x "$work/convert.sh"
write_settings "$work/Kovaset.ini" "$watch" "\"$work/convert.sh\" \"$log\"" 10

make_bytes "$watch/junk.flv" 100
wait_until_past "$watch/junk.flv"
for n in 1 2 3 4 5; do
    fallocate -l 3M "$watch/pair$n.mp4" && make_bytes "$watch/pair$n.jpg" 4
done
fallocate -l 11M "$watch/zz.jpg"
for n in 1 2 3; do make_bytes "$watch/good$n.flv" 100; done
wait_until_past "$watch/good3.flv"

start_headless "$work/Kovaset.ini"
started() { [ -s "$log" ]; }
wait_for 30 started || fail "no conversion started"
[ "$(awk 'NR == 1 { print $2 }' "$log")" = junk ] || fail "junk.flv, the oldest, did not go first"

# From now on junk.flv changes all the time, during its runs too. The
# appender is ended by e2e_cleanup, which finds it through e2e_pid_vars.
e2e_pid_vars="appender_pid"
(while :; do printf 'x' >>"$watch/junk.flv"; sleep 0.2; done) &
# shellcheck disable=SC2034
appender_pid=$!

goods_converted() { [ ! -e "$watch/good1.flv" ] && [ ! -e "$watch/good2.flv" ] && [ ! -e "$watch/good3.flv" ]; }
wait_for 30 goods_converted || fail "the recordings beside junk.flv were not converted"
out_of_reach() { tail -n 1 "$work/status.log" | grep -qF '待機中 削除しても上限を超えます 変換できなかったファイル 1件'; }
wait_for 30 out_of_reach || fail "the status does not say that the limit cannot be reached"
for n in 1 2 3 4 5; do
    [ -e "$watch/pair$n.mp4" ] || fail "pair$n.mp4 was deleted although no deletion could help"
done

# 15 MiB of recordings and 1 MiB of zz.jpg, limit 10 MiB: three pairs go.
truncate -s 1M "$watch/zz.jpg"
pairs_left() { [ "$(find "$watch" -name 'pair*' | wc -l)" -eq 4 ]; }
wait_for 30 pairs_left || fail "the oldest pairs were not deleted once the limit could be reached"
fits() { tail -n 1 "$work/status.log" | grep -q '待機中 変換できなかったファイル 1件$'; }
wait_for 30 fits || fail "the status still says that the limit cannot be reached"
for n in 1 2 3 4 5; do
    { [ -e "$watch/pair$n.mp4" ] && [ -e "$watch/pair$n.jpg" ]; } ||
        { [ ! -e "$watch/pair$n.mp4" ] && [ ! -e "$watch/pair$n.jpg" ]; } ||
        fail "pair$n.mp4 and pair$n.jpg were parted"
done
stop_headless

# junk.flv, tried first, was not tried again within 10 s.
awk '$2 == "junk" { if (seen && $1 - last < 10) bad = 1; seen = 1; last = $1 }
     END { exit bad }' "$log" || fail "junk.flv was retried within 10 s: $(cat "$log")"
echo "PASS"
