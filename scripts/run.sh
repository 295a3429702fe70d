#!/usr/bin/env bash
# Builds Kovalin and starts the tray program, which keeps its settings in
# ~/.config/kovalin/Kovaset.ini, or in build/release/Kovaset.ini when there
# is one. "--headless [SETTINGS-FILE]" starts the program without a window
# instead; other arguments go to it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-debian.sh build
cmake --preset release >/dev/null
cmake --build --preset release

if [ "${1:-}" = --headless ]; then
  shift
  exec build/release/kovalin-headless "$@"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no desktop here (DISPLAY and WAYLAND_DISPLAY are unset);" \
    "scripts/run.sh --headless starts Kovalin without a window" >&2
  exit 1
fi
exec build/release/kovalin "$@"
