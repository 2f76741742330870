#!/usr/bin/env bash
# Two brintova-cli builds side by side in one sitting, for a shared machine where wall times
# swing with other people's work: CPU time (perf stat, task-clock) and wall time of each
# command, alternating the builds, and peak memory (GNU time). Also the floor of the 1M-cell
# sheet (floor_bench: inflate, and inflate plus a streaming parse) in the same sitting.
#   bench/cli/compare.sh BEFORE_CLI AFTER_CLI KIT_DATA_DIR [FLOOR_BENCH]
# KIT_DATA_DIR holds cells_100k.xlsx, cells_1m.xlsx (bench/kit/gen.py) and, if present,
# cells_4m.xlsx and a folder small/ of 1,000-cell workbooks. RUNS (default 3) per figure.
set -euo pipefail
before=$1 after=$2 data=$3 floor=${4:-}
runs=${RUNS:-3}
work=$(mktemp -d "${TMPDIR:-/tmp}/brintova-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/big" && cp "$data/cells_1m.xlsx" "$work/big/"

stat() {  # label, command...
  local label=$1
  shift
  perf stat -r "$runs" -e task-clock -x, -o "$work/stat" "$@" >/dev/null 2>"$work/err"
  local cpu wall
  cpu=$(awk -F, '/task-clock/ {printf "%.0f", $1}' "$work/stat")
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/err"
  read -r wall rss <"$work/time"
  printf "%-34s cpu %6s ms   wall %6s s   peak %7.1f MiB\n" "$label" "$cpu" "$wall" \
    "$(echo "$rss / 1024" | bc -l)"
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for round in 1 2; do
  for which in before after; do
    cli=${!which}
    stat "$which run 1M (round $round)" "$cli" run --operation numbers --overwrite \
      --output "$work/out" "$work/big"
    stat "$which text 1M (round $round)" "$cli" text "$work/big/cells_1m.xlsx"
  done
done
if [[ -d "$data/small" ]]; then
  for which in before after; do
    cli=${!which}
    stat "$which run 200 small --jobs 2" "$cli" run --operation numbers --overwrite --jobs 2 \
      --output "$work/out_small" "$data/small"
  done
fi
for size in 100k 4m; do
  [[ -f "$data/cells_$size.xlsx" ]] || continue
  mkdir -p "$work/in_$size" && cp "$data/cells_$size.xlsx" "$work/in_$size/"
  for which in before after; do
    cli=${!which}
    stat "$which run $size" "$cli" run --operation numbers --overwrite --output "$work/out" \
      "$work/in_$size"
  done
  rm -rf "$work/in_$size"
done
[[ -n "$floor" ]] && "$floor" "$data/cells_1m.xlsx" xl/worksheets/sheet1.xml "$runs"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
