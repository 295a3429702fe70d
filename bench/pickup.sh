#!/bin/bash
# How soon kovalin-headless hands a finished recording to its converter, and
# what it costs while the folder is idle.
#
# Usage: bench/pickup.sh [-n FILES] [-g GAP] [-i IDLE_SECONDS] KOVALIN_HEADLESS
#   -n FILES         recordings per way (default 20)
#   -g GAP           each recording comes a random 0 to GAP whole seconds
#                    after the previous one was converted (default 1)
#   -i IDLE_SECONDS  how long the idle CPU is measured (default 60)
#
# It runs the program on a temporary watch folder whose converter records the
# moment it starts and removes the .flv. Three ways of bringing a recording
# in, one file at a time, each waited for before the next and brought in
# after a random pause (-g):
#   moved   written in a sibling folder, then renamed in with mv;
#   copied  copied in with cp;
#   slow    written in place in 5 chunks with 0.2-0.5 s between them, and
#           closed 0.2-0.5 s after the last chunk.
# The latency is the converter's start minus the moment the writer returned
# (mv or cp ended, a fraction of a millisecond after their close or rename;
# or the script closed the file itself). A converter that starts
# before that moment started on a file still being written: a violation,
# counted, and the exit code is 1. Then the program's CPU time (user +
# system, in clock ticks from /proc/PID/stat) is read across an idle period.
# Times are CLOCK_REALTIME, read by bash's EPOCHREALTIME without a fork.
set -u
export LC_ALL=C

files=20 gap=1 idle_seconds=60
while getopts n:g:i: opt; do
    case $opt in
    n) files=$OPTARG ;;
    g) gap=$OPTARG ;;
    i) idle_seconds=$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
# shellcheck source-path=SCRIPTDIR source=lib.sh
. "$(dirname "$0")/lib.sh"
bench_begin pickup "[-n FILES] [-g GAP] [-i IDLE_SECONDS] KOVALIN_HEADLESS" "$@"

fail() {
    echo "pickup.sh: $*" >&2
    [ -z "$work" ] || { echo "--- status lines" >&2; cat "$work/status.log" >&2; }
    exit 1
}

mkdir "$work/watch" "$work/stage" "$work/starts"
cat >"$work/convert.sh" <<'EOF'
#!/bin/bash
# Records the moment it starts under the title's name, then removes the .flv.
printf '%s\n' "$EPOCHREALTIME" >"$1/$KOVALIN_TITLE"
rm -f -- "$KOVALIN_FILE"
EOF
chmod +x "$work/convert.sh"
printf '%s\n' "$work/watch" "\"$work/convert.sh\" \"$work/starts\"" 0 >"$work/Kovaset.ini"

"$kovalin" "$work/Kovaset.ini" >"$work/status.log" 2>"$work/stderr.log" &
pid=$!

# wait_for SECONDS COMMAND...: polls every 0.05 s until COMMAND succeeds.
wait_for() {
    local steps=$(($1 * 20))
    shift
    until "$@"; do
        kill -0 "$pid" 2>/dev/null || fail "kovalin-headless ended: $(cat "$work/stderr.log")"
        steps=$((steps - 1))
        [ "$steps" -gt 0 ] || return 1
        sleep 0.05
    done
}
# The last status line is the plain idle status (no file waiting).
idle() { [[ $(tail -n 1 "$work/status.log") == *" 待機中" ]]; }
started() { [ -s "$work/starts/$1" ]; }
# A random pause of 0 to GAP seconds, in milliseconds.
random_pause() {
    local ms=$(((RANDOM * 32768 + RANDOM) % (gap * 1000 + 1)))
    sleep "$((ms / 1000)).$(printf '%03d' $((ms % 1000)))"
}
chunk() { head -c 65536 /dev/zero; }

wait_for 30 idle || fail "no idle status within 30 s"

# bring_in WAY NAME: brings NAME.flv into the folder; prints when the writer
# returned.
bring_in() {
    local flv=$work/watch/$2.flv fd
    case $1 in
    moved)
        chunk >"$work/stage/$2.flv"
        random_pause
        mv -- "$work/stage/$2.flv" "$flv"
        ;;
    copied)
        chunk >"$work/stage/$2.flv"
        random_pause
        cp -- "$work/stage/$2.flv" "$flv"
        rm -f -- "$work/stage/$2.flv"
        ;;
    slow)
        random_pause
        exec {fd}>"$flv"
        for _ in 1 2 3 4 5; do
            chunk >&"$fd"
            sleep "0.$((2 + RANDOM % 4))"
        done
        exec {fd}>&-
        ;;
    esac
    echo "$EPOCHREALTIME"
}

violations=0
for way in moved copied slow; do
    : >"$work/latency"
    for ((n = 1; n <= files; n++)); do
        name=$way-$n
        closed=$(bring_in "$way" "$name")
        wait_for 30 started "$name" || fail "$name.flv not converted within 30 s"
        read -r start <"$work/starts/$name"
        wait_for 30 idle || fail "no idle status within 30 s after $name"
        latency=$(awk -v s="$start" -v c="$closed" 'BEGIN { printf "%.6f", s - c }')
        if [[ $latency == -* ]]; then
            echo "violation: the converter of $name started ${latency#-} s before its writer closed it" >&2
            violations=$((violations + 1))
        fi
        echo "$latency" >>"$work/latency"
    done
    sort -g "$work/latency" | awk -v way="$way" '
        { v[NR] = $1 }
        END { printf "%-7s median %.2f s  worst %.2f s  (%d files)\n",
                     way, (v[int((NR + 1) / 2)] + v[int(NR / 2) + 1]) / 2, v[NR], NR }'
done
echo "violations (converted before close): $violations"

# utime + stime of the whole process, fields 14 and 15 of /proc/PID/stat
# (counted after the name in parentheses, which may hold blanks).
cpu_ticks() {
    local stat rest fields
    read -r stat <"/proc/$pid/stat"
    rest=${stat##*) }
    read -r -a fields <<<"$rest"
    echo $((fields[11] + fields[12]))
}
before=$(cpu_ticks)
sleep "$idle_seconds"
after=$(cpu_ticks)
echo "idle CPU: $((after - before)) ticks in $idle_seconds s ($(getconf CLK_TCK) per second)"

[ "$violations" -eq 0 ]
