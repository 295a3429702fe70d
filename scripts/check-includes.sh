#!/usr/bin/env bash
# Checks that includes point down the layers only:
#   programs -> ui -> app -> settings -> core, with platform beside them,
#   implementing core's and settings' interfaces and including nothing above.
# core, settings and the controller (app) include neither a toolkit, nor
# windows.h, nor a POSIX header, nor the standard library's file streams:
# they reach files through their ports (Platform, FileSystem). Prints each include that goes the wrong way
# and exits 1 when there is one.
set -uo pipefail
cd "$(dirname "$0")/.."

system='<(windows|winbase|shlobj|commdlg|commctrl|objbase)\.h>|<Q[A-Za-z]*>|<(unistd|fcntl|dirent|poll|spawn|pwd|signal|pthread)\.h>|<sys/|<(cstdio|stdio\.h|fstream|filesystem)>'
declare -A forbidden=(
  [core]="\"(settings|platform|app|ui|programs)/|$system"
  [settings]="\"(platform|app|ui|programs)/|$system"
  [platform]="\"(app|ui|programs)/|<Q[A-Za-z]*>"
  [app]="\"(platform|ui|programs)/|$system"
  [ui]="\"programs/"
)

status=0
for layer in core settings platform app ui; do
  if hits=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*(${forbidden[$layer]})" "$layer"); then
    echo "$hits" | sed "s/^/wrong way from $layer\/: /"
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "includes: every layer includes only what lies below it"
exit "$status"
