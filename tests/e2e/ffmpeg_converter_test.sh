#!/usr/bin/env bash
# kovalin-headless with the ffmpeg converter on real .flv recordings, the size
# limit at 1 MiB: every recording becomes a playable .mp4 with its .jpg (a
# title with quotes and two blanks too), a corrupt recording older than them
# all holds none of them back and stays, so do a playlist named .flv that
# lists a file outside the folder and a link to a recording outside, with
# nothing published for them, a recording whose timestamps jump by hours
# holds the one queued behind it for seconds, not days, the oldest older
# pair goes to make room, nothing else is touched, and SIGTERM ends the
# program with exit code 0 and the settings file as it was.
#
# Given a unit and the syscall_filter program, kovalin-headless and its
# converter run in that unit's sandbox as unit_sandbox.sh applies it: as
# the user nobody, without network, with the unit's system calls alone.
#
# Usage: ffmpeg_converter_test.sh KOVALIN-HEADLESS EXAMPLES-FOLDER [UNIT FILTER]
set -u
KOVALIN=$1
EXAMPLES=$2
UNIT=${3:-}
FILTER=${4:-}
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"

if ! command -v ffmpeg >/dev/null || ! command -v ffprobe >/dev/null; then
    echo "ffmpeg and ffprobe are needed" >&2
    exit 77
fi

# A two-second recording from ffmpeg's test sources.
make_flv() {
    ffmpeg -nostdin -hide_banner -loglevel error -y \
        -f lavfi -i testsrc=duration=2:size=160x120:rate=25 \
        -f lavfi -i sine=frequency=440:duration=2 \
        -c:a aac -shortest -f flv "file:$1" || fail "cannot make $1"
}

stream_codecs() {
    ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "file:$1" | sort | tr '\n' ' '
}

if [ -n "$UNIT" ] && [ "$(id -u)" -ne 0 ]; then
    echo "the unit's sandbox needs root" >&2
    exit 77
fi

e2e_begin
watch=$work/watch
if [ -n "$UNIT" ]; then
    # nobody writes the watch folder and reads the rest; a leak check would
    # need ptrace, which the unit does not allow.
    chmod o+x "$work" "$work/run"
    chmod 777 "$watch"
    headless_wrapper=(env ASAN_OPTIONS=detect_leaks=0 bash "$(dirname "$0")/unit_sandbox.sh"
        "$UNIT" "$FILTER" "$work"
        "$(dirname "$KOVALIN"):$(dirname "$FILTER"):$EXAMPLES:$(dirname "$0")")
fi
settings=$work/Kovaset.ini

# Earlier output: the oldest pair, 900 KiB, must go; the newer pair, a .jpg of
# no .mp4 and a text file must stay. Together they are over 1 MiB.
make_bytes "$watch/old.mp4" $((800 * 1024))
make_bytes "$watch/old.jpg" $((100 * 1024))
wait_until_past "$watch/old.jpg"
make_bytes "$watch/keep.mp4" $((150 * 1024))
make_bytes "$watch/keep.jpg" $((10 * 1024))
make_bytes "$watch/lone.jpg" $((5 * 1024))
echo "notes" >"$watch/notes.txt"

head -c 5000 /dev/urandom >"$watch/broken.flv"
wait_until_past "$watch/broken.flv"
# A stranger's contents: what ffmpeg would read through them lies outside.
mkdir "$work/private"
make_flv "$work/private/real.flv"
ffmpeg -nostdin -hide_banner -loglevel error -i "file:$work/private/real.flv" -c copy \
    -f mpegts "file:$work/private/private.ts" || fail "cannot make a private file"
printf '#EXTM3U\n#EXTINF:2,\n%s\n#EXT-X-ENDLIST\n' "$work/private/private.ts" >"$watch/playlist.flv"
ln -s -- "$work/private/real.flv" "$watch/link.flv"
wait_until_past "$watch/link.flv"
# 2,002 frames of a still picture whose timestamps tests/e2e/stretch_flv.py
# spreads over five hours, at a frame rate of 1000: filled with copies,
# about 19 million frames.
ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i color=c=gray:s=640x360:r=1000 \
    -frames:v 2002 -c:v libx264 -preset ultrafast -f flv "file:$work/still.flv" ||
    fail "cannot make a still recording"
python3 "$(dirname "$0")/stretch_flv.py" "$work/still.flv" "$watch/stretched.flv" ||
    fail "cannot stretch the still recording"
wait_until_past "$watch/stretched.flv"
titles=("first" 'my "clip"  two' "Loud")
make_flv "$watch/first.flv"
make_flv "$watch/my \"clip\"  two.flv"
make_flv "$watch/Loud.FLV"
wait_until_past "$watch/Loud.FLV"

write_settings "$settings" "$watch" "\"$EXAMPLES/ffmpeg-convert.sh\" \"$watch\"" 1
cp -- "$settings" "$work/settings.orig"

start_headless "$settings"
only_refused_left() {
    [ "$(find "$watch" -maxdepth 1 -iname '*.flv' -printf '%P\n' | sort | tr '\n' ' ')" = \
        "broken.flv link.flv playlist.flv " ]
}
first_converted() { [ -e "$watch/first.mp4" ]; }
wait_for 90 first_converted || fail "the recording queued behind the stretched one waited over 90 s"
conversions_done() {
    only_refused_left && tail -n 1 "$work/status.log" | grep -qF '待機中 変換できなかったファイル 3件'
}
wait_for 120 conversions_done || fail "the recordings were not all converted in 120 s"

! grep -qF 'linkを変換中' "$work/status.log" || fail "the link was handed to the converter"
for count in 6 5 4; do
    grep -qF "を変換中 変換動画数 $count" "$work/status.log" ||
        fail "no converting status with the count $count"
done

for title in "${titles[@]}"; do
    [ "$(stream_codecs "$watch/$title.mp4")" = "aac h264 " ] ||
        fail "$title.mp4 is not H.264/AAC"
    [ "$(stream_codecs "$watch/$title.jpg")" = "mjpeg " ] || fail "$title.jpg is not a JPEG"
    ffmpeg -nostdin -v error -i "file:$watch/$title.mp4" -f null - || fail "$title.mp4 does not play"
done

expect_listing keep.mp4 keep.jpg lone.jpg notes.txt broken.flv playlist.flv link.flv \
    stretched.mp4 stretched.jpg first.mp4 first.jpg "${titles[1]}.mp4" "${titles[1]}.jpg" Loud.mp4 Loud.jpg
[ "$(stat -c %s -- "$watch/keep.mp4")" -eq $((150 * 1024)) ] || fail "keep.mp4 changed"

total=$(find "$watch" -maxdepth 1 \( -iname '*.mp4' -o -iname '*.jpg' \) -printf '%s\n' |
    awk '{ sum += $1 } END { print sum }')
[ "$total" -le 1048576 ] || fail "the .mp4 and .jpg files hold $total bytes, over 1 MiB"

stop_headless
cmp -s -- "$settings" "$work/settings.orig" || fail "the settings file changed"
echo "PASS"
