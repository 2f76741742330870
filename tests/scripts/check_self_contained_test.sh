#!/usr/bin/env bash
# The self-containment check must catch each kind of outside path in each kind of file it
# covers, name the file, and pass a clean tree and binary fixtures.
#   check_self_contained_test.sh CHECK_SCRIPT
set -uo pipefail
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
# The outside paths are put together from pieces, so that this file passes the check itself.
up=..
machine=/work
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# A clean tree: a test, a bench script, a CMake file, a binary fixture holding the bytes.
clean=$work/clean
mkdir -p "$clean/tests/data" "$clean/bench/x" "$clean/scripts"
echo 'add_test(NAME t COMMAND t ${PROJECT_SOURCE_DIR}/tests/data/a.tsv)' >"$clean/tests/CMakeLists.txt"
echo 'kit=${BENCH_KIT:-$repo/bench/kit}' >"$clean/bench/x/run.sh"
echo 'tmp=/tmp/x; cd "$(dirname "$0")/.."' >"$clean/scripts/ok.sh"
printf '\x00\x01%s/shared/bench\x00' "$up" >"$clean/tests/data/seed.bin"
echo "see $up/shared/notes.md" >"$clean/README.md"  # not a test, bench or script file
out=$(bash "$check" "$clean" 2>&1) || fail "a clean tree was refused: $out"

# One offending line per pattern, each in another kind of file.
declare -A offending=(
  [tests/engine/CMakeLists.txt]="set(CASES \"\${PROJECT_SOURCE_DIR}/$up/shared/cases.tsv\")"
  [bench/cli/run.sh]="kit=\${BENCH_KIT:-$machine/shared/bench}"
  [scripts/make.sh]="cp \"\$repo/$up/data/x.xlsx\" ."
  [fuzz/xlsx/x.cmake]="include(\${CMAKE_SOURCE_DIR}/$up/common.cmake)"
  [tests/cli/case_test.cpp]="const char* kPath = \"$up/shared/fixtures/a.xlsx\";"
)
for file in "${!offending[@]}"; do
  tree=$work/bad_${file//\//_}
  mkdir -p "$tree/$(dirname "$file")"
  cp -r "$clean/." "$tree/"
  echo "${offending[$file]}" >"$tree/$file"
  if out=$(bash "$check" "$tree" 2>&1); then
    fail "not caught in $file: ${offending[$file]}"
  elif [[ $out != *"$file"* ]]; then
    fail "the report does not name $file: $out"
  fi
done

((failures == 0)) && echo "all cases passed"
exit $((failures > 0))
