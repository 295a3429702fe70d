#!/bin/bash
# How much kovalin-headless adds to the converter when a queue of recordings
# waits: N files through the program, against the floor of running the same
# converter N times from a bare spawn-and-wait loop (queue_floor).
#
# Usage: bench/queue.sh [-n FILES] [-r ROUNDS] [-l LIMIT_MIB] [-f FLOOR] KOVALIN_HEADLESS
#   -n FILES      recordings in the queue (default 100)
#   -r ROUNDS     rounds, each one run of the program and one of the floor
#                 (default 7)
#   -l LIMIT_MIB  the size limit of the settings (default 0: no quota pass)
#   -f FLOOR      the floor program (default: bench/queue_floor beside
#                 KOVALIN_HEADLESS, as the bench preset builds them)
#
# Each round makes N empty .flv files, waits until their creation second
# has passed (so that the first cycle may take them all), then:
#   kovalin  starts kovalin-headless on the folder and times it from the
#            start until its status line says "待機中", the queue done;
#   floor    starts queue_floor, which runs the converter once per file,
#            oldest first, with posix_spawn and waitpid, and times it to
#            its end.
# The converter is a shell script that removes the file it is given. The
# rounds alternate the two, so that a drift of the machine's speed touches
# both; the figures are the medians, in milliseconds, and their ratio.
# Times are CLOCK_REALTIME, read by bash's EPOCHREALTIME without a fork.
set -u
export LC_ALL=C

files=100 rounds=7 limit=0 floor=''
while getopts n:r:l:f: opt; do
    case $opt in
    n) files=$OPTARG ;;
    r) rounds=$OPTARG ;;
    l) limit=$OPTARG ;;
    f) floor=$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
# shellcheck source-path=SCRIPTDIR source=lib.sh
. "$(dirname "$0")/lib.sh"
bench_begin queue "[-n FILES] [-r ROUNDS] [-l LIMIT_MIB] [-f FLOOR] KOVALIN_HEADLESS" "$@"

fail() {
    echo "queue.sh: $*" >&2
    exit 1
}

floor=${floor:-$(dirname "$kovalin")/bench/queue_floor}
[ -x "$floor" ] || fail "no floor program $floor (build the target queue_floor, or give -f)"

watch=$work/watch
mkdir "$watch"
cat >"$work/convert.sh" <<'EOF'
#!/bin/sh
# Removes the recording: FOLDER TITLE.
exec rm -f -- "$1/$2.flv"
EOF
chmod +x "$work/convert.sh"
printf '%s\n' "$watch" "\"$work/convert.sh\" \"$watch\"" "$limit" >"$work/Kovaset.ini"
mkfifo "$work/status"

titles=()
for ((n = 1; n <= files; n++)); do
    printf -v 'titles[n - 1]' 'rec-%05d' "$n"
done

# The creation second of the newest file lies in the past.
settled() {
    local birth
    rm -f -- "$work/clock"
    : >"$work/clock"
    birth=$(stat -c %W -- "$work/clock")
    [ "$birth" -gt 0 ] || birth=$(stat -c %Y -- "$work/clock")
    [ "$birth" -gt "$1" ]
}

fill_queue() {
    local title birth
    for title in "${titles[@]}"; do
        : >"$watch/$title.flv"
    done
    birth=$(stat -c %W -- "$watch/${titles[-1]}.flv")
    [ "$birth" -gt 0 ] || birth=$(stat -c %Y -- "$watch/${titles[-1]}.flv")
    until settled "$birth"; do
        sleep 0.05
    done
}

queue_empty() {
    local left
    left=$(find "$watch" -maxdepth 1 -name '*.flv' | wc -l)
    [ "$left" -eq 0 ] || fail "$left files left after a run"
}

# Prints the milliseconds from the start of kovalin-headless to its idle line.
run_kovalin() {
    local start end
    start=$EPOCHREALTIME
    "$kovalin" "$work/Kovaset.ini" >"$work/status" 2>"$work/stderr.log" &
    pid=$!
    timeout 600 grep -q -m 1 ' 待機中$' <"$work/status" ||
        fail "no plain idle line within 600 s: $(cat "$work/stderr.log")"
    end=$EPOCHREALTIME
    kill -TERM "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    pid=''
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", (e - s) * 1000 }'
}

run_floor() {
    local start end
    start=$EPOCHREALTIME
    "$floor" "$work/convert.sh" "$watch" "${titles[@]}" || fail "the floor program failed"
    end=$EPOCHREALTIME
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", (e - s) * 1000 }'
}

: >"$work/kovalin.ms"
: >"$work/floor.ms"
for ((round = 1; round <= rounds; round++)); do
    fill_queue
    run_kovalin >>"$work/kovalin.ms"
    queue_empty
    fill_queue
    run_floor >>"$work/floor.ms"
    queue_empty
done

median() { sort -g "$1" | awk '{ v[NR] = $1 } END { print (v[int((NR + 1) / 2)] + v[int(NR / 2) + 1]) / 2 }'; }
kovalin_ms=$(median "$work/kovalin.ms")
floor_ms=$(median "$work/floor.ms")
awk -v n="$files" -v r="$rounds" -v k="$kovalin_ms" -v f="$floor_ms" 'BEGIN {
    printf "%d files, %d rounds: kovalin %.1f ms, floor %.1f ms, ratio %.2f\n", n, r, k, f, k / f
}'
