#!/usr/bin/env bash
# Peak memory and wall time of `brintova-cli run --format jsonl` as the number of workbooks
# grows (10, 100 and 1,000 copies of a sample: flat memory shows as the same peak at every
# count), and on one workbook of 400,000 text cells beside `brintova-cli text` on the same file
# (what holding the workbook alone costs: records add nothing that grows with the cells).
# Records are written to files in WORK_DIR and counted.
#   bench/records/run.sh [WORK_DIR]
# BUILD_DIR (default build/cli-rel) is configured and built when needed; SAMPLE (default
# "Orders and Phones.xlsx" of Samples/) is the workbook copied.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$repo/build/cli-rel}
sample=${SAMPLE:-$repo/Samples/Orders and Phones.xlsx}
work=${1:-$(mktemp -d "${TMPDIR:-/tmp}/brintova-records-bench.XXXXXX")}
mkdir -p "$work"
work=$(cd "$work" && pwd)

if [[ ! -x "$build/bin/brintova-cli" ]]; then
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINTOVA_TESTS=OFF \
    -DBRINTOVA_GUI=OFF >/dev/null
  cmake --build "$build" --target brintova-cli
fi
cli="$build/bin/brintova-cli"

echo "machine: $(nproc) cores, load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "sample: $sample ($(stat -c %s "$sample") bytes)"
printf '%8s %10s %12s %10s\n' workbooks records "peak RSS" wall
for count in 10 100 1000; do
  folder="$work/copies_$count"
  if [[ ! -d "$folder" ]]; then
    mkdir -p "$folder"
    for i in $(seq -w 1 "$count"); do cp "$sample" "$folder/book_$i.xlsx"; done
  fi
  /usr/bin/time -f '%M %e' -o "$work/time_$count" \
    "$cli" run --operation numbers --format jsonl "$folder" > "$work/records_$count.jsonl" \
    2> "$work/err_$count"
  read -r rss wall < "$work/time_$count"
  records=$(wc -l < "$work/records_$count.jsonl")
  printf '%8d %10d %9d KiB %9ss\n' "$count" "$records" "$rss" "$wall"
done
big="$work/big_400k.xlsx"
if [[ ! -f "$big" ]]; then
  /usr/bin/python3 - "$big" <<'PY'
import sys, xlsxwriter
book = xlsxwriter.Workbook(sys.argv[1], {"constant_memory": True})
sheet = book.add_worksheet("Items")
for row in range(200000):
    sheet.write_string(row, 0, f"item-{row:06d}")
    sheet.write_string(row, 1, f"lot {row % 977} / bay {row % 31}")
book.close()
PY
fi
/usr/bin/time -f '%M %e' -o "$work/time_big" \
  "$cli" run --operation numbers --format jsonl "$big" > "$work/records_big.jsonl" 2> "$work/err_big"
read -r rss wall < "$work/time_big"
printf '%8s %10d %9d KiB %9ss\n' "400k" "$(wc -l < "$work/records_big.jsonl")" "$rss" "$wall"
/usr/bin/time -f '%M %e' -o "$work/time_text" "$cli" text "$big" > /dev/null
read -r rss wall < "$work/time_text"
printf '%8s %10s %9d KiB %9ss   (text: the workbook alone)\n' "400k" "-" "$rss" "$wall"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "records and timings in $work"
