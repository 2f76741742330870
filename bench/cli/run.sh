#!/usr/bin/env bash
# Times the whole brintova-cli run (hyperfine) and its peak memory (GNU time) on the 1,000,000-cell
# workbook and on 200 small workbooks, with --jobs 1 and --jobs 2, from a Release build.
#   bench/cli/run.sh [WORK_DIR]
# WORK_DIR (default: a fresh temporary folder) receives the generated workbooks, the results
# and the hyperfine JSON; it is kept, so a second run with the same folder skips generating.
# BUILD_DIR (default build/cli-rel) is configured and built when needed. RUNS (default 5).
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
kit=${BENCH_KIT:-$repo/bench/kit}
build=${BUILD_DIR:-$repo/build/cli-rel}
runs=${RUNS:-5}
work=${1:-$(mktemp -d "${TMPDIR:-/tmp}/brintova-cli-bench.XXXXXX")}
mkdir -p "$work"
work=$(cd "$work" && pwd)

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINTOVA_TESTS=OFF >/dev/null
cmake --build "$build" --target brintova-cli
cli="$build/bin/brintova-cli"

# The generator writes into data/ beside itself: run a copy in the work folder. The small
# workbook is the generator's cell mix at 100 rows by 10 columns (1,000 cells).
if [[ ! -f "$work/gen/data/cells_1m.xlsx" || ! -f "$work/gen/data/cells_1k.xlsx" ]]; then
  mkdir -p "$work/gen"
  cp "$kit/gen.py" "$work/gen/"
  (cd "$work/gen" && /usr/bin/python3 -c '
import gen
gen.SIZES["1k"] = ([100], gen.COLS)
gen.main(["1m", "1k"])')
fi
mkdir -p "$work/big" "$work/small"
cp -f "$work/gen/data/cells_1m.xlsx" "$work/big/cells_1m.xlsx"
for i in $(seq -w 1 200); do cp -f "$work/gen/data/cells_1k.xlsx" "$work/small/small_$i.xlsx"; done

echo "machine: $(nproc) cores, load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for set in big small; do
  for jobs in 1 2; do
    name="${set}_jobs$jobs"
    command="$cli run --operation numbers --overwrite --jobs $jobs --output $work/out_$name $work/$set"
    hyperfine -w 1 -r "$runs" --export-json "$work/$name.json" -n "$name" "$command"
    /usr/bin/time -v $command 2> "$work/$name.time" >/dev/null || true
    grep -E "Maximum resident|Elapsed" "$work/$name.time"
  done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "results and JSON in $work"
