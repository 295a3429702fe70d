#!/usr/bin/env bash
# Builds the 32-bit Windows program Kovalin.exe with MinGW-w64 and packs it
# with its README into a zip for Windows users.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-debian.sh windows
cmake --preset windows-release >/dev/null
cmake --build --preset windows-release
echo "Built:" build/windows-release/Kovalin.exe build/windows-release/Kovalin-*-win32.zip
