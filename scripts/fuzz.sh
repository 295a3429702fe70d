#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs them side by
# side for a bounded time, each starting from its committed seeds. New inputs
# go to a scratch folder, so the seeds stay as committed. The executions
# reached are written to build/fuzz/figures.txt.
#   scripts/fuzz.sh [SECONDS-PER-TARGET]   (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
targets=()
for target in settings command_line file_name limit; do
  binary=build/fuzz/fuzz/${target}_fuzz
  [ -x "$binary" ] || continue
  targets+=("$target")
  mkdir "$work/$target"
  "$binary" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix=build/fuzz/ "$work/$target" "fuzz/corpus/$target" \
    >"$work/$target.log" 2>&1 &
  echo $! >"$work/$target.pid"
done

figures=build/fuzz/figures.txt
: >"$figures"
failed=0
for target in "${targets[@]}"; do
  status=0
  wait "$(cat "$work/$target.pid")" || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target.log")
  echo "$target: ${runs:-?} executions in ${seconds} s" | tee -a "$figures"
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$work/$target.log"
    echo "fuzz target $target failed; the input is in build/fuzz/" >&2
    failed=1
  fi
done
exit "$failed"
