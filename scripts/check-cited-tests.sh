#!/usr/bin/env bash
# Checks that every test RELIABILITY.md cites, in backquotes, exists:
# - Suite.Name: a TEST, TEST_F or TEST_P of that suite and name in tests/
#   or fuzz/; Suite.*: any test of that suite;
# - `name` fuzzer: a fuzz/NAME_fuzz.cpp made by kovalin_fuzzer;
# - any other name of lower-case words joined by "_" (e2e_one_bad_file,
#   win32_gui_smoke, command_line): a CTest test made by add_test, or a
#   fuzzer.
# A test is cited by its whole name: a bare test name is not checked.
# Prints each name that nothing defines and exits 1 when there is one.
# shellcheck disable=SC2016 # the backquotes are Markdown's, not the shell's
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2

doc=RELIABILITY.md

# Suite.Name of every gtest test; a macro may span lines.
gtests=$(find tests fuzz -name '*.cpp' -exec cat {} + |
  grep -ozP '\bTEST(_F|_P)?\(\s*\w+\s*,\s*\w+\s*\)' | tr -d ' \t\n' | tr '\0' '\n' |
  sed -E 's/^TEST(_F|_P)?\((\w+),(\w+)\)$/\2.\3/' | sort -u)

# The names given to add_test, those made in a foreach loop spelt out.
ctests=$(find . \( -path ./build -o -path ./.git \) -prune -o \
  \( -name CMakeLists.txt -o -name '*.cmake' \) -exec cat {} + | awk '
    /^[[:space:]]*foreach[[:space:]]*\(/ {
      line = $0
      sub(/^[[:space:]]*foreach[[:space:]]*\([[:space:]]*/, "", line)
      sub(/\).*/, "", line)
      count = split(line, words, /[[:space:]]+/)
      loopVar = words[1]
      items = ""
      for (i = 2; i <= count; i++) items = items " " words[i]
    }
    /^[[:space:]]*endforeach/ { loopVar = "" }
    match($0, /add_test[[:space:]]*\([[:space:]]*NAME[[:space:]]+[^[:space:])]+/) {
      name = substr($0, RSTART, RLENGTH)
      sub(/.*NAME[[:space:]]+/, "", name)
      if (loopVar != "" && index(name, "${" loopVar "}")) {
        n = split(substr(items, 2), values, " ")
        for (i = 1; i <= n; i++) {
          expanded = name
          sub("\\$\\{" loopVar "\\}", values[i], expanded)
          print expanded
        }
      } else if (name !~ /\$/) {
        print name
      }
    }' | sort -u)

fuzzers=$(grep -hoE 'kovalin_fuzzer\([a-z0-9_]+_fuzz' fuzz/CMakeLists.txt |
  sed -E 's/kovalin_fuzzer\(//; s/_fuzz$//' | sort -u)

has() { grep -qxF -- "$2" <<<"$1"; }

missing=0
report() {
  echo "$doc cites $1, $2"
  missing=1
}

while IFS= read -r name; do
  if [[ $name =~ ^([A-Z][A-Za-z0-9_]*)\.\*$ ]]; then
    grep -q "^${BASH_REMATCH[1]}\." <<<"$gtests" || report "$name" "but that suite has no test"
  elif [[ $name =~ ^[A-Z][A-Za-z0-9_]*\.[A-Z][A-Za-z0-9_]*$ ]]; then
    has "$gtests" "$name" || report "$name" "but no TEST, TEST_F or TEST_P defines it"
  elif [[ $name =~ ^[a-z0-9]+(_[a-z0-9]+)+$ ]]; then
    has "$ctests" "$name" || has "$fuzzers" "$name" ||
      report "$name" "but no add_test or fuzzer has that name"
  fi
done < <(grep -oE '`[^`]+`' "$doc" | tr -d '`' | sort -u)

while IFS= read -r name; do
  has "$fuzzers" "$name" || report "the $name fuzzer" "but fuzz/ makes no such fuzzer"
done < <(grep -oE '`[a-z0-9_]+` fuzzer' "$doc" | sed -E 's/`([a-z0-9_]+)` fuzzer/\1/' | sort -u)

[ "$missing" -eq 0 ] && echo "cited tests: every test that $doc cites exists"
exit "$missing"
