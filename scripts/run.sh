#!/usr/bin/env bash
# Builds Kovalin and starts it. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-debian.sh build
cmake --preset release >/dev/null
cmake --build --preset release
exec build/release/kovalin-headless "$@"
