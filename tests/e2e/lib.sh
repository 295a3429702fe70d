# shellcheck shell=bash
# Helpers for the end-to-end tests of kovalin-headless: a temporary work
# folder removed on exit, waiting on conditions, the settings file and the
# program's start and stop.
#
# A test sets KOVALIN (the program) and EXAMPLES (the converters' folder) from
# its arguments, then calls e2e_begin.

work=
headless_pid=
# The names of the variables that hold the ids of other processes a test
# started: e2e_cleanup ends those still set, in this order.
e2e_pid_vars=

fail() {
    echo "FAIL: $*" >&2
    if [ -n "$work" ] && [ -f "$work/status.log" ]; then
        echo "--- status lines" >&2
        cat "$work/status.log" >&2
        echo "--- standard error" >&2
        cat "$work/stderr.log" >&2
    fi
    exit 1
}

e2e_cleanup() {
    local var pid
    for var in $e2e_pid_vars; do
        pid=${!var}
        [ -z "$pid" ] || { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; }
    done
    if [ -n "$headless_pid" ]; then
        kill -TERM "$headless_pid" 2>/dev/null
        wait "$headless_pid" 2>/dev/null
    fi
    [ -z "$work" ] || rm -rf -- "$work"
}

e2e_begin() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/kovalin-e2e.XXXXXX") || exit 1
    # Only this shell cleans up: a child forked for a command in the
    # background runs these traps too when a signal reaches it before exec.
    trap '[ "$BASHPID" != "$$" ] || e2e_cleanup' EXIT
    trap 'exit 1' HUP INT TERM
    mkdir "$work/watch" "$work/run"
}

# wait_for SECONDS COMMAND...: polls every 0.1 s until COMMAND succeeds;
# fails at once when kovalin-headless has ended meanwhile.
wait_for() {
    local steps=$(($1 * 10))
    shift
    while ! "$@"; do
        steps=$((steps - 1))
        [ "$steps" -gt 0 ] || return 1
        if [ -n "$headless_pid" ] && ! kill -0 "$headless_pid" 2>/dev/null; then
            fail "kovalin-headless ended early"
        fi
        sleep 0.1
    done
}

# Starts Xvfb on a display that the server numbers itself (a fixed number
# collides on shared machines) and exports DISPLAY; xvfb_pid is its process.
xvfb_pid=
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    e2e_pid_vars="$e2e_pid_vars xvfb_pid"
    display_known() { [ -s "$work/display" ]; }
    wait_for 30 display_known || fail "Xvfb did not start"
    export DISPLAY=:$(head -n 1 "$work/display")
}

# The creation second of a file: birth time, modification time where the file
# system keeps none.
creation_second() {
    local birth
    birth=$(stat -c %W -- "$1")
    if [ "$birth" -gt 0 ]; then echo "$birth"; else stat -c %Y -- "$1"; fi
}

# The file system's clock, which may lag behind date's by a few milliseconds:
# the creation second of a new file.
file_system_second() {
    local probe=$work/clock-probe second
    : >"$probe"
    second=$(creation_second "$probe")
    rm -f -- "$probe"
    echo "$second"
}

second_has_passed() { [ "$(file_system_second)" -gt "$1" ]; }

# Waits until a file's creation second lies in the past, so that the worker
# and the size limit may choose it, and a file made next is strictly newer.
wait_until_past() {
    wait_for 10 second_has_passed "$(creation_second "$1")" || fail "the clock does not move"
}

# make_bytes FILE COUNT
make_bytes() { head -c "$2" /dev/zero >"$1" || fail "cannot write $1"; }

# write_settings FILE FOLDER PROGRAM LIMIT
write_settings() { printf '%s\n%s\n%s\n' "$2" "$3" "$4" >"$1"; }

# A command that kovalin-headless is run under (unit_sandbox.sh and its
# arguments), or none.
headless_wrapper=()

# Starts kovalin-headless with its arguments (a settings file, or none), from
# the folder run/, with its status lines going to status.log.
start_headless() {
    (cd "$work/run" && exec "${headless_wrapper[@]}" "$KOVALIN" "$@") \
        >"$work/status.log" 2>"$work/stderr.log" &
    headless_pid=$!
}

# Sends SIGTERM and checks that the program ended with exit code 0.
stop_headless() {
    kill -TERM "$headless_pid" || fail "kovalin-headless ended early"
    local code=0
    wait "$headless_pid" || code=$?
    headless_pid=
    [ "$code" -eq 0 ] || fail "kovalin-headless ended with exit code $code on SIGTERM"
}

last_status_is_idle() { tail -n 1 "$work/status.log" | grep -qF '待機中'; }

no_flv_left() { ! find "$work/watch" -maxdepth 1 -iname '*.flv' | grep -q .; }

# The names in the watch folder, sorted, one per NUL-terminated record;
# Kovalin's own lock file is left out.
listing() {
    (cd "$work/watch" && find . -mindepth 1 -maxdepth 1 ! -name .kovalin.lock -printf '%P\0' |
        sort -z)
}

# expect_listing NAME...: the watch folder holds exactly these names.
expect_listing() {
    local expected actual
    expected=$(printf '%s\0' "$@" | sort -z | od -c)
    actual=$(listing | od -c)
    if [ "$expected" != "$actual" ]; then
        echo "--- expected" >&2
        printf '%s\0' "$@" | sort -z | tr '\0' '\n' >&2
        echo "--- found" >&2
        listing | tr '\0' '\n' >&2
        fail "the watch folder does not hold what it should"
    fi
}
