#!/usr/bin/env bash
# Runs "brintova-cli text" and "brintova-cli run" on each hostile workbook under
# /usr/bin/time -v and prints wall time, peak memory, exit status and the first line the
# program wrote to standard error. The workbooks are made first (make_hostile.py) in FOLDER.
#
#   bench/hostile/run.sh [BUILD_DIR] [FOLDER]     (defaults: build/release, /tmp/brintova-hostile)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/release}
folder=${2:-/tmp/brintova-hostile}
cli="$build/bin/brintova-cli"
[[ -x $cli ]] || { echo "no $cli: build first (cmake --build $build)" >&2; exit 2; }
names=(shared_string_1gib.xlsx shared_string_1e9.xlsx sheet_1gib.xlsx sheet_1e9.xlsx
       sheets_100000.xlsx format_code_30000.xlsx)
missing=()
for name in "${names[@]}"; do [[ -f $folder/$name ]] || missing+=("$name"); done
if ((${#missing[@]})); then python3 bench/hostile/make_hostile.py "$folder" "${missing[@]}"; fi

measure() {  # label, then the command
  local label=$1 log
  shift
  log=$(mktemp)
  local status=0
  /usr/bin/time -v "$@" >/dev/null 2>"$log" || status=$?
  local wall rss said
  wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$log")
  rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$log")
  said=$(grep -m1 '^brintova-cli' "$log" | cut -c1-150 || true)
  printf '%-32s %-5s %10s %8d MB  exit %d  %s\n' "$label" "$2" "$wall" $((rss / 1024)) \
    "$status" "$said"
  rm -f "$log"
}

printf '%-32s %-5s %10s %11s  %s\n' workbook cmd wall peak outcome
for name in "${names[@]}"; do
  file=$folder/$name
  measure "$name ($(du -m "$file" | cut -f1) MB)" "$cli" text "$file"
  out=$(mktemp -d)
  measure "$name" "$cli" run --operation numbers --jobs 1 --output "$out" "$file"
  rm -rf "$out"
done
