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
