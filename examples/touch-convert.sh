#!/bin/sh
# A stand-in converter for tests: for FOLDER/TITLE.flv it writes
# FOLDER/TITLE.mp4 (4096 bytes) and FOLDER/TITLE.jpg (1024 bytes) and removes
# the .flv. It reads nothing of the recording.
#
# Usage: touch-convert.sh FOLDER TITLE...
# A title with blanks arrives as several arguments; they are joined again
# with single blanks.
set -u

if [ $# -lt 2 ]; then
    echo "usage: touch-convert.sh FOLDER TITLE..." >&2
    exit 2
fi
folder=$1
shift
IFS=' '
title=$*
case $folder in
-*) folder=./$folder ;;
esac
base=$folder/$title

if [ ! -f "$base.flv" ]; then
    echo "touch-convert.sh: no recording named $base.flv" >&2
    exit 1
fi
head -c 4096 /dev/zero >"$base.mp4" || exit 1
head -c 1024 /dev/zero >"$base.jpg" || exit 1
rm -f -- "$base.flv"
