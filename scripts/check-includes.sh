#!/usr/bin/env bash
# Checks the layering, ports and adapters:
# - includes point down the layers only: programs -> ui -> app -> settings
#   -> core, with platform beside them, implementing the ports of core
#   (Platform) and settings (FileSystem) and including
#   nothing above;
# - core, settings and the controller (app) include neither a toolkit, nor
#   windows.h, nor a POSIX header, nor the standard library's file streams:
#   they reach the system through their ports alone;
# - each system function is declared once, in a header of platform/, and
#   implemented in platform/posix and platform/win32: no header of the same
#   name stands in both, posix/ includes no Windows header and win32/ no
#   POSIX header.
# Prints each include or header that breaks a rule and exits 1 when there is one.
set -uo pipefail
cd "$(dirname "$0")/.."

windows='<(windows|winbase|shlobj|shellapi|commdlg|commctrl|objbase)\.h>'
posix='<(unistd|fcntl|dirent|poll|spawn|pwd|signal|pthread)\.h>|<sys/'
system="$windows|<Q[A-Za-z]*>|$posix|<(cstdio|stdio\\.h|fstream|filesystem)>"
declare -A forbidden=(
  [core]="\"(settings|platform|app|ui|programs)/|$system"
  [settings]="\"(platform|app|ui|programs)/|$system"
  [platform]="\"(app|ui|programs)/|<Q[A-Za-z]*>"
  [platform/posix]="$windows|\"platform/win32/"
  [platform/win32]="$posix|\"platform/posix/"
  [app]="\"(platform|ui|programs)/|$system"
  [ui]="\"programs/"
)

status=0
for layer in core settings platform platform/posix platform/win32 app ui; do
  if hits=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*(${forbidden[$layer]})" "$layer"); then
    echo "$hits" | sed "s|^|wrong way from $layer/: |"
    status=1
  fi
done
for header in platform/posix/*.h; do
  if [ -e "platform/win32/${header##*/}" ]; then
    echo "declared twice: $header and platform/win32/${header##*/}: one header in platform/ says it once"
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "includes: every layer includes only what lies below it, and each system function is declared once"
exit "$status"
