#!/bin/sh
# Runs a command where 32-bit x86 programs run through qemu-user: inside a
# private user and mount namespace, binfmt_misc hands i386 ELF files to
# qemu-i386, and the preload of PRELOAD-DIR fixes qemu's MAP_FIXED_NOREPLACE.
# Nothing changes outside the namespace. It has its own process ids too:
# when COMMAND ends, or this script is killed, every process started in it
# ends (a wineserver, a program that hangs, Xvfb).
# Usage: in_namespace.sh PRELOAD-DIR COMMAND...
set -eu
if [ "${KOVALIN_IN_NAMESPACE:-}" != 1 ]; then
  KOVALIN_IN_NAMESPACE=1 exec unshare --user --map-root-user --mount --pid --mount-proc --kill-child sh "$0" "$@"
fi
preload=$1
shift
mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
# The usual i386 ELF magic and mask (executables and shared objects alike).
printf '%s' ':kovalin-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' \
  >/proc/sys/fs/binfmt_misc/register
# $LIB is left for the dynamic loader: the i386 preload for 32-bit
# programs, an empty twin for the 64-bit helpers.
export QEMU_SET_ENV="LD_PRELOAD=$preload/\$LIB/noreplace.so"
# This shell stays process 1 of the namespace, which takes no signal it has
# no handler for: COMMAND (xvfb-run waits for a signal) runs as its child.
"$@"
