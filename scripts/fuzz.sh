#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs each for a
# bounded time, starting from the committed seeds. New inputs go to a scratch
# folder, so the seeds stay as committed. The executions reached are written
# to build/fuzz/figures.txt.
#   scripts/fuzz.sh [SECONDS-PER-TARGET]   (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

figures=build/fuzz/figures.txt
: >"$figures"
for target in settings command_line file_name limit; do
  binary=build/fuzz/fuzz/${target}_fuzz
  [ -x "$binary" ] || continue
  scratch=$(mktemp -d)
  log=$(mktemp)
  status=0
  "$binary" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix=build/fuzz/ "$scratch" "fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "$target: ${runs:-?} executions in ${seconds} s" | tee -a "$figures"
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log"
    echo "fuzz target $target failed; the input is in build/fuzz/" >&2
    rm -rf "$scratch" "$log"
    exit 1
  fi
  rm -rf "$scratch" "$log"
done
