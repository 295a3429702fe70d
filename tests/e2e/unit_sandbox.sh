#!/usr/bin/env bash
# Runs a command in the sandbox that a service unit of kovalin-headless gives
# it, where systemd is not PID 1 and so cannot run the unit: as root, with
# unshare, mount and setpriv, and FILTER (syscall_filter) for the system
# calls. The unit's SystemCallFilter=, SystemCallErrorNumber= and UMask= are
# read from the unit itself; each other setting applied here must stand in
# the unit as written below, so that the two cannot drift apart:
#   PrivateNetwork=yes        a network namespace of its own (loopback only)
#   ProtectHostname=yes       a UTS namespace of its own
#   ProtectSystem=strict      every mount read-only but /proc and /dev, and
#                             WRITABLE-FOLDER (ReadWritePaths=)
#   ProtectKernelTunables=yes /sys read-only with the rest
#   ProtectControlGroups=yes  the same for /sys/fs/cgroup
#   ProtectHome=yes           /home, /root and /run/user empty and read-only
#   PrivateTmp=yes            a /tmp and /var/tmp of its own, WRITABLE-FOLDER
#                             mounted back into it
#   PrivateDevices=yes        a /dev with null, zero, full, random, urandom,
#                             tty, fd, std* and shm only
#   ProtectProc=invisible, ProcSubset=pid   a /proc of its own
#   DynamicUser=yes           the user nobody, no supplementary groups
#   CapabilityBoundingSet=, AmbientCapabilities=, NoNewPrivileges=yes
#   RestrictAddressFamilies=AF_UNIX, RestrictNamespaces=yes,
#   LockPersonality=yes, MemoryDenyWriteExecute=yes, RestrictSUIDSGID=yes,
#   RestrictRealtime=yes, SystemCallArchitectures=native   FILTER
# Not applied: DevicePolicy=, IPAddressDeny= and KeyringMode= (redundant here
# with the private /dev and network; no keyring is used), RemoveIPC=,
# PrivateMounts= beyond the mount namespace, ProtectKernelModules= and
# ProtectKernelLogs= beyond the filter and the private /dev and /proc,
# ProtectClock='s device rule, and what needs systemd itself: Type=notify,
# WatchdogSec=, Restart=. systemd-analyze verify checks that systemd takes
# them all.
#
# READABLE-FOLDERS, separated by ":", are folders that the command reads
# although they lie in /tmp or /var/tmp (a clone of the project there, its
# build): mounted back read-only, as BindReadOnlyPaths= would.
#
# Usage: unit_sandbox.sh UNIT FILTER WRITABLE-FOLDER READABLE-FOLDERS COMMAND ARG...
set -euo pipefail
unit=$1 filter=$2 writable=$3 readable=$4
shift 4

fail() {
    echo "unit_sandbox.sh: $*" >&2
    exit 125
}

for setting in PrivateNetwork=yes ProtectHostname=yes ProtectSystem=strict \
    ProtectKernelTunables=yes ProtectControlGroups=yes ProtectHome=yes PrivateTmp=yes \
    PrivateDevices=yes ProtectProc=invisible ProcSubset=pid DynamicUser=yes \
    CapabilityBoundingSet= AmbientCapabilities= NoNewPrivileges=yes \
    RestrictAddressFamilies=AF_UNIX RestrictNamespaces=yes LockPersonality=yes \
    MemoryDenyWriteExecute=yes RestrictSUIDSGID=yes RestrictRealtime=yes \
    SystemCallArchitectures=native; do
    grep -qx -- "$setting" "$unit" || fail "$unit does not have $setting"
done

# The system calls of a set, its nested sets expanded, as systemd lists them.
calls_of() {
    local item members
    for item; do
        if [[ $item == @* ]]; then
            mapfile -t members < <(systemd-analyze syscall-filter "$item" |
                sed -n 's/^    \([^#]\)/\1/p')
            calls_of "${members[@]}"
        else
            echo "$item"
        fi
    done
}
allowed=() refused=()
while IFS= read -r line; do
    case $line in
    SystemCallFilter=~*) read -ra more <<<"${line#SystemCallFilter=~}" && refused+=("${more[@]}") ;;
    SystemCallFilter=*) read -ra more <<<"${line#SystemCallFilter=}" && allowed+=("${more[@]}") ;;
    esac
done <"$unit"
[ ${#allowed[@]} -gt 0 ] || fail "$unit has no SystemCallFilter="
list=$writable/allowed-system-calls
comm -23 <(calls_of "${allowed[@]}" | sort -u) <(calls_of "${refused[@]}" | sort -u) >"$list"
case $(sed -n 's/^SystemCallErrorNumber=//p' "$unit") in
EPERM) error=1 ;;
*) fail "$unit: SystemCallErrorNumber= other than EPERM" ;;
esac
umask "$(sed -n 's/^UMask=//p' "$unit")"

# Inside the new namespaces, as root: the file system as the unit has it,
# then the user, the capabilities and the filter; the command last, with the
# same process ID throughout.
# shellcheck disable=SC2016 # expanded by the inner shell
mounts='
set -e
exec 8<"$1"
keep() {
    IFS=:
    i=10
    for folder in $1; do
        case $folder in /tmp/* | /var/tmp/*) "$2" "$i" "$folder" ;; esac
        i=$((i + 1))
    done
    unset IFS
}
hold() { eval "exec $1<\"\$2\""; }
bind_back() { (umask 022 && mkdir -p "$2") && mount --no-canonicalize --bind "/proc/self/fd/$1" "$2" &&
    mount -o remount,bind,ro "$2" && eval "exec $1<&-"; }
keep "$3" hold
awk "{ print \$5 }" /proc/self/mountinfo | sort -u | while read -r point; do
    case $point in /proc | /proc/* | /dev | /dev/*) continue ;; esac
    mount -o remount,bind,ro "$point" 2>/dev/null || :
done
for home in /home /root /run/user; do
    [ ! -d "$home" ] || mount -t tmpfs -o ro,mode=000,nosuid,nodev,noexec tmpfs "$home"
done
for tmp in /tmp /var/tmp; do
    [ ! -d "$tmp" ] || mount -t tmpfs -o mode=1777,nosuid,nodev tmpfs "$tmp"
done
keep "$3" bind_back
mkdir -p "$1"
mount --no-canonicalize --bind /proc/self/fd/8 "$1"
mount -o remount,bind,rw "$1"
exec 8<&-
mount -t tmpfs -o mode=755,nosuid,noexec tmpfs /dev
mknod -m 666 /dev/null c 1 3
mknod -m 666 /dev/zero c 1 5
mknod -m 666 /dev/full c 1 7
mknod -m 666 /dev/random c 1 8
mknod -m 666 /dev/urandom c 1 9
mknod -m 666 /dev/tty c 5 0
ln -s /proc/self/fd /dev/fd
ln -s /proc/self/fd/0 /dev/stdin
ln -s /proc/self/fd/1 /dev/stdout
ln -s /proc/self/fd/2 /dev/stderr
mkdir /dev/shm
mount -t tmpfs -o mode=1777,nosuid,nodev tmpfs /dev/shm
mount -o remount,ro,bind /dev
mount -t proc -o hidepid=invisible,subset=pid,nosuid,nodev,noexec proc /proc
cd "$2"
shift 3
exec setpriv --reuid=65534 --regid=65534 --clear-groups --bounding-set=-all \
    --inh-caps=-all --ambient-caps=-all --no-new-privs "$@"
'
exec unshare --mount --net --uts --propagation private -- \
    bash -c "$mounts" - "$writable" "$PWD" "$readable" "$filter" "$list" "$error" "$@"
