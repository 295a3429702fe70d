#!/bin/sh
# A converter for Kovalin: turns FOLDER/TITLE.flv into FOLDER/TITLE.mp4
# (H.264/AAC) and a FOLDER/TITLE.jpg thumbnail, and removes the .flv only when
# both were written.
#
# Usage: ffmpeg-convert.sh FOLDER TITLE...
#
# Kovalin starts the converter setting followed by one blank and the title,
# so set the converter to, for example:
#     /opt/kovalin/ffmpeg-convert.sh /var/www/tmp
# Kovalin also names the recording exactly in the environment (KOVALIN_FILE,
# KOVALIN_TITLE, KOVALIN_FOLDER), which this script prefers: a title with
# double quotes or runs of blanks then still finds its file. Started by hand,
# without them, a title with blanks arrives as several arguments, and they
# are joined again with single blanks.
#
# Kovalin hands over the recording it opened and checked as a descriptor
# (KOVALIN_FILE_FD): the script reads that and never opens the name, so a
# FIFO put in its place cannot hold it, and keeps it open until it is done,
# which tells a later Kovalin that the recording is still being converted.
# Without one, the script opens the recording itself for reading and
# writing, an open that never waits on a FIFO (so it needs write permission
# then), and goes on only with a regular file.
#
# The contents are a stranger's too: ffmpeg is told the input format, so a
# playlist, a list of files or an image pattern named .flv fails like a
# corrupt recording instead of making ffmpeg read other files, and a
# recording that is a symbolic link is refused, so that no file from outside
# the folder is published. The work is bounded by the recording's size:
# timestamps pass through as they are (ffmpeg never fills a gap between two
# frames with copies, which a recording whose timestamps jump by hours would
# turn into millions of frames), and at most one video frame is written per
# 10 bytes of recording, fewer than any FLV file can hold.
#
# Both outputs are written under temporary names that end in neither .mp4 nor
# .jpg and then renamed, never into a directory (a directory made at either
# name meanwhile fails the conversion), so a half-written file is never
# counted or deleted by the size limit. No byte of the title is ever
# interpreted, and no name reaches a log as it stands: ffmpeg reads the
# recording through a file descriptor and writes under the temporary names,
# so it never prints a name, and this script's own messages have their
# control characters (a line feed, an escape sequence) shown as "?".
set -u

# One message line on standard error, control characters made harmless.
say() {
    printf 'ffmpeg-convert.sh: %s' "$*" | tr '\000-\037\177' '?'
    printf '\n'
} >&2

usage() {
    say "usage: ffmpeg-convert.sh FOLDER TITLE..."
    exit 2
}

[ $# -ge 1 ] || usage
folder=$1
shift
if [ -n "${KOVALIN_FILE:-}" ] && [ -n "${KOVALIN_TITLE:-}" ]; then
    title=$KOVALIN_TITLE
else
    KOVALIN_FILE=
    KOVALIN_FILE_FD=
    IFS=' '
    title=$*
fi
[ -n "$title" ] || usage

# No path built here may start with "-".
case $folder in
-*) folder=./$folder ;;
esac
base=$folder/$title

# The recording: the file Kovalin named, else TITLE.flv, or TITLE with its
# extension in other letter case. The quoted part of the pattern is literal.
input=${KOVALIN_FILE:-$base.flv}
if [ ! -f "$input" ] && [ -z "$KOVALIN_FILE" ]; then
    for candidate in "$base".[fF][lL][vV]; do
        [ -f "$candidate" ] && input=$candidate && break
    done
fi
if [ ! -f "$input" ]; then
    say "no recording named $input"
    exit 1
fi
if [ -L "$input" ]; then
    say "$input is a symbolic link"
    exit 1
fi

# A directory at either output name fails the conversion; checked here to
# spare the work, and again where the outputs are renamed.
outputs_are_free() {
    if [ -d "$base.mp4" ] || [ -d "$base.jpg" ]; then
        say "$base.mp4 or $base.jpg is a directory"
        return 1
    fi
}
outputs_are_free || exit 1

# The recording: Kovalin's descriptor, else opened here for reading and
# writing, an open that never waits on a FIFO. ffmpeg reads it as
# /dev/fd/N, so it never sees the title and cannot read a protocol or an
# image sequence pattern (%d) out of it, nor print it. The file must be the
# regular file that the name itself is (same device and inode): a link or a
# FIFO put in its place meanwhile is refused.
fd=${KOVALIN_FILE_FD:-}
case $fd in
'' | *[!0-9]*)
    fd=3
    exec 3<>"$input" || exit 1
    ;;
esac
if [ ! -f "/dev/fd/$fd" ] ||
    [ "$(stat -L -c '%F %d:%i' "/dev/fd/$fd")" != "$(stat -c '%F %d:%i' -- "$input")" ]; then
    say "$input is not a regular file"
    exit 1
fi
size=$(stat -L -c %s "/dev/fd/$fd") || exit 1

# Timestamps pass through: -fps_mode on ffmpeg 5.1 and later, -vsync before,
# and ffmpeg itself tells which it knows.
if ffmpeg -hide_banner -loglevel quiet -fps_mode passthrough -version >/dev/null 2>&1; then
    timestamps=-fps_mode
else
    timestamps=-vsync
fi

video_part=
thumb_part=
cleanup() {
    [ -z "$video_part" ] || rm -f -- "$video_part"
    [ -z "$thumb_part" ] || rm -f -- "$thumb_part"
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM

video_part=$(mktemp "$folder/.convert.XXXXXX") || exit 1
thumb_part=$(mktemp "$folder/.thumb.XXXXXX") || exit 1
# mktemp makes private files; the outputs get the usual mode for new files.
mode=$(printf '%o' $((0666 & ~0$(umask))))
chmod "$mode" -- "$video_part" "$thumb_part" || exit 1

ffmpeg -nostdin -hide_banner -loglevel error -y -f flv -i "file:/dev/fd/$fd" \
    -map 0:v:0 -map '0:a:0?' "$timestamps" passthrough -frames:v $((size / 10)) \
    -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -b:a 128k -movflags +faststart \
    -f mp4 "file:$video_part" || exit 1

# The thumbnail: a representative frame of the first seconds, 320 pixels wide.
ffmpeg -nostdin -hide_banner -loglevel error -y -i "file:$video_part" \
    -map 0:v:0 -vf "thumbnail,scale=320:-2" -frames:v 1 -f mjpeg "file:$thumb_part" || exit 1
[ -s "$video_part" ] && [ -s "$thumb_part" ] || exit 1

# The thumbnail first, so that a .mp4 that appears already has its .jpg. -T
# renames onto the name itself, never into a directory of that name.
outputs_are_free || exit 1
mv -T -f -- "$thumb_part" "$base.jpg" || exit 1
thumb_part=
mv -T -f -- "$video_part" "$base.mp4" || exit 1
video_part=

rm -f -- "$input"
