# shellcheck shell=bash
# What the benchmark scripts share, sourced after their own options: the
# one argument, the program under test ($kovalin); a work folder ($work),
# removed at the end with the program they started ($pid) stopped.

work='' pid=''
bench_cleanup() {
    [ -z "$pid" ] || { kill -TERM "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; }
    [ -z "$work" ] || rm -rf -- "$work"
}
trap bench_cleanup EXIT
trap 'exit 1' HUP INT TERM

# bench_begin NAME USAGE ARGUMENT...: the one argument must be an executable;
# it becomes $kovalin, and $work a new folder.
bench_begin() {
    local name=$1 usage=$2
    shift 2
    if [ $# -ne 1 ] || [ ! -x "$1" ]; then
        echo "usage: $name.sh $usage" >&2
        exit 2
    fi
    # shellcheck disable=SC2034 # for the script that sources this
    kovalin=$(realpath -- "$1")
    work=$(mktemp -d "${TMPDIR:-/tmp}/kovalin-$name.XXXXXX") || exit 1
}
