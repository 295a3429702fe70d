#!/usr/bin/env bash
# The example converter ffmpeg-convert.sh on its own: titles that ffmpeg or
# the shell could misread are converted, no name reaches its messages as it
# stands, a playlist named .flv or a link to a recording outside the folder
# publishes nothing, and whenever a conversion fails the recording stays and
# no output or temporary file is left behind, also when the conversion is
# stopped with SIGTERM.
#
# Usage: ffmpeg_convert_script_test.sh EXAMPLES-FOLDER
set -u
EXAMPLES=$1
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"

if ! command -v ffmpeg >/dev/null || ! command -v ffprobe >/dev/null; then
    echo "ffmpeg and ffprobe are needed" >&2
    exit 77
fi

e2e_begin
watch=$work/watch
convert() { "$EXAMPLES/ffmpeg-convert.sh" "$@" 2>>"$work/stderr.log"; }

ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i testsrc=duration=1:size=160x120:rate=25 \
    -f lavfi -i sine=duration=1 -c:a aac -shortest -f flv "file:$work/sample.flv" ||
    fail "cannot make a recording"

# Titles with a pattern, a protocol name, a leading dash and shell syntax.
# shellcheck disable=SC2016
titles=('100%d %s' 'http:clip' '-y' '$(touch pwned); x*')
for title in "${titles[@]}"; do
    cp -- "$work/sample.flv" "$watch/$title.flv"
    # The title arrives split at blanks, as kovalin-headless passes it.
    read -r -a words <<<"$title"
    convert "$watch" "${words[@]}" || fail "could not convert '$title'"
    [ "$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "file:$watch/$title.mp4" |
        sort | tr '\n' ' ')" = "aac h264 " ] || fail "'$title.mp4' is not H.264/AAC"
done
for place in "$work/run" "$watch" .; do
    [ ! -e "$place/pwned" ] || fail "a title was run: $place/pwned exists"
done

# A folder named like an option, given relative to the working directory.
mkdir "$work/run/-folder"
cp -- "$work/sample.flv" "$work/run/-folder/clip.flv"
(cd "$work/run" && convert -folder clip) || fail "could not convert in the folder -folder"
for output in clip.mp4 clip.jpg; do
    [ -s "$work/run/-folder/$output" ] || fail "no $output in the folder -folder"
done

# Failures: none may lose the recording or leave files behind.
rm -f -- "$watch"/*
head -c 5000 /dev/urandom >"$watch/broken.flv"
convert "$watch" broken && fail "a broken recording was reported as converted"
cp -- "$work/sample.flv" "$watch/taken.flv"
mkdir "$watch/taken.mp4"
convert "$watch" taken && fail "an output name held by a directory was reported as converted"
convert "$watch" missing && fail "a missing recording was reported as converted"
# Contents that would make ffmpeg read a file from outside the folder.
ffmpeg -nostdin -hide_banner -loglevel error -i "file:$work/sample.flv" -c copy -f mpegts \
    "file:$work/private.ts" || fail "cannot make a private file"
printf '#EXTM3U\n#EXTINF:1,\n%s\n#EXT-X-ENDLIST\n' "$work/private.ts" >"$watch/playlist.flv"
ln -s -- "$work/sample.flv" "$watch/link.flv"
convert "$watch" playlist && fail "a playlist named .flv was converted"
convert "$watch" link && fail "a link to a recording outside the folder was converted"
# A name that would forge a journal entry if a message printed it as it stands.
forged=$'bad\n<0>forged'
head -c 5000 /dev/urandom >"$watch/$forged.flv"
convert "$watch" "$forged" && fail "a broken recording was reported as converted"
convert "$watch" "$forged-missing" && fail "a missing recording was reported as converted"
expect_listing broken.flv taken.flv taken.mp4 "$forged.flv" playlist.flv link.flv
[ -z "$(ls -A "$watch/taken.mp4")" ] || fail "something was put inside the directory taken.mp4"
! grep -q '^<0>' "$work/stderr.log" || fail "a name reached the log as it stands: $(cat "$work/stderr.log")"

# Through an ffmpeg that logs how it is run, then runs the real one (or plays
# ffmpeg 4.1, which knows no -fps_mode, or makes a folder at an output's
# name meanwhile).
rm -rf -- "${watch:?}"/*
real_ffmpeg=$(command -v ffmpeg)
mkdir "$work/wrap"
cat >"$work/wrap/ffmpeg" <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>"$work/args.log"
[ -z "\${KOVALIN_FILE_FD:-}" ] || readlink "/proc/\$PPID/fd/\$KOVALIN_FILE_FD" >>"$work/fd.log"
case " \$* " in *" -fps_mode "*) [ -z "\${AS_FFMPEG_4_1:-}" ] || exit 1 ;; esac
[ -z "\${FOLDER_AT:-}" ] || mkdir -p -- "\$FOLDER_AT"
exec "$real_ffmpeg" "\$@"
EOF
chmod +x "$work/wrap/ffmpeg"
# wrapped TITLE [VARIABLE=VALUE...]: converts TITLE as Kovalin would, with
# the recording handed over as descriptor 3, already open; at most 60 s.
wrapped() {
    local title=$1
    shift
    env PATH="$work/wrap:$PATH" KOVALIN_FILE="$watch/$title.flv" KOVALIN_TITLE="$title" \
        KOVALIN_FOLDER="$watch/" KOVALIN_FILE_FD=3 "$@" \
        timeout 60 "$EXAMPLES/ffmpeg-convert.sh" "$watch" 2>>"$work/stderr.log"
}
for title in handed old taken2 swapped; do cp -- "$work/sample.flv" "$watch/$title.flv"; done
size=$(stat -c %s -- "$work/sample.flv")
wrapped handed 3<"$watch/handed.flv" || fail "a recording handed over as a descriptor was not converted"
grep -qF -- "-fps_mode passthrough -frames:v $((size / 10)) " "$work/args.log" ||
    fail "timestamps not passed through or frames not bounded: $(cat "$work/args.log")"
if [ "$(uniq "$work/fd.log")" != "$watch/handed.flv" ] || [ "$(wc -l <"$work/fd.log")" -ne 3 ]; then
    fail "the descriptor was not open through every ffmpeg run: $(cat "$work/fd.log")"
fi
wrapped old AS_FFMPEG_4_1=1 3<"$watch/old.flv" || fail "not converted with ffmpeg 4.1"
grep -qF -- "-vsync passthrough" "$work/args.log" || fail "ffmpeg 4.1 was not given -vsync"
wrapped taken2 FOLDER_AT="$watch/taken2.mp4" 3<"$watch/taken2.flv"
[ $? -eq 1 ] || fail "a folder made at the output's name did not fail the conversion"
# A FIFO put at the name after Kovalin opened the recording, or before the
# script is run by hand: refused at once, never waited on.
exec 3<"$watch/swapped.flv"
rm -- "$watch/swapped.flv" && mkfifo -- "$watch/swapped.flv"
wrapped swapped
[ $? -eq 1 ] || fail "a FIFO swapped in for a handed-over recording was not refused at once"
exec 3<&-
mkfifo -- "$watch/fifo.flv"
timeout 60 "$EXAMPLES/ffmpeg-convert.sh" "$watch" fifo 2>>"$work/stderr.log"
[ $? -eq 1 ] || fail "a FIFO named as the recording was not refused at once"
expect_listing handed.mp4 handed.jpg old.mp4 old.jpg taken2.flv taken2.mp4 swapped.flv fifo.flv
[ -z "$(ls -A "$watch/taken2.mp4")" ] || fail "something was put inside the folder taken2.mp4"

# A stop in the middle, as systemd stops a service: SIGTERM to every process.
# An ffmpeg of the test's own holds the conversion until then.
rm -rf -- "${watch:?}"/*
cp -- "$work/sample.flv" "$watch/stopped.flv"
mkdir "$work/bin"
printf '#!/bin/sh\n: >"%s"\nexec sleep 600\n' "$work/ffmpeg-runs" >"$work/bin/ffmpeg"
chmod +x "$work/bin/ffmpeg"
PATH=$work/bin:$PATH setsid "$EXAMPLES/ffmpeg-convert.sh" "$watch" stopped 2>>"$work/stderr.log" &
stopped_pid=$!
ffmpeg_runs() { [ -e "$work/ffmpeg-runs" ]; }
wait_for 30 ffmpeg_runs || fail "the converter did not start ffmpeg"
kill -TERM -- -"$stopped_pid"
wait "$stopped_pid" && fail "a stopped conversion was reported as done"
expect_listing stopped.flv
echo "PASS"
