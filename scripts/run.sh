#!/usr/bin/env bash
# Builds Kovalin and starts it. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-debian.sh build
cmake --preset default -DKOVALIN_BUILD_TESTS=OFF >/dev/null
cmake --build --preset default
exec build/default/kovalin-headless "$@"
