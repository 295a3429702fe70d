#!/usr/bin/env bash
# Builds the Windows program Kovalin.exe with MinGW-w64 for 64-bit Windows
# (what most users run, and the build the full test suite runs) and for
# 32-bit Windows, and packs each with its README into a zip for Windows users.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-debian.sh windows
for preset in windows64-release windows-release; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
echo "Built:" build/windows64-release/Kovalin-*-win64.zip build/windows-release/Kovalin-*-win32.zip
