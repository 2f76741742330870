#!/usr/bin/env bash
# Times opening and reading the 1,000,000-cell benchmark workbook as .xlsx, .ods (saved by
# LibreOffice) and .xlsb (written by make_xlsb.py: LibreOffice cannot save .xlsb), checks that
# the three read with the same texts, and times LibreOffice opening the .xlsx and the .ods.
#   bench/readers/run.sh BIN_DIR [WORK_DIR]
# BIN_DIR holds engine_read_bench (a Release build with -DBRINTOVA_BENCH=ON). The workbooks are
# made in WORK_DIR (default /tmp/brintova-readers-bench) on the first run and kept.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=$(realpath "$1")
work=${2:-/tmp/brintova-readers-bench}
runs=${RUNS:-5}
mkdir -p "$work"
cp "$here/../kit/gen.py" "$here/make_xlsb.py" "$work"
cd "$work"
profile="-env:UserInstallation=file://$work/lo-profile"

[[ -f data/cells_1m.xlsx ]] || /usr/bin/python3 gen.py 1m
[[ -f data/cells_1m.xlsb ]] || /usr/bin/python3 make_xlsb.py 1m
if [[ ! -f data/cells_1m.ods ]]; then
  soffice --headless "$profile" --convert-to ods --outdir data data/cells_1m.xlsx >/dev/null
fi
ls -l data/cells_1m.*

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

echo "== engine: open and read every position (median of $runs runs: wall s, peak RSS KiB)"
for kind in xlsx ods xlsb; do
  : >"times_$kind"
  "$bin/engine_read_bench" --every "data/cells_1m.$kind" 2>/dev/null  # warm-up
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f "%e %M" -a -o "times_$kind" "$bin/engine_read_bench" --every \
      "data/cells_1m.$kind" 2>/dev/null
  done
  echo "$kind: $(cut -d' ' -f1 "times_$kind" | median) s, $(cut -d' ' -f2 "times_$kind" | median) KiB"
done

echo "== the same texts from every kind"
for kind in xlsx ods xlsb; do
  "$bin/engine_read_bench" --dump "data/cells_1m.$kind" 2>/dev/null | sort >"dump_$kind"
done
wc -l dump_xlsx | sed 's/^/texts: /'
echo "ods differs from xlsx in $(comm -3 dump_xlsx dump_ods | wc -l) lines"
echo "xlsb differs from xlsx in $(comm -3 dump_xlsx dump_xlsb | wc -l) lines"

echo "== LibreOffice: open and write the displayed texts as CSV (one run each: wall s, peak KiB)"
for kind in xlsx ods; do
  rm -rf "csv_$kind"
  /usr/bin/time -f "$kind: %e s, %M KiB" soffice --headless "$profile" --convert-to \
    "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true" --outdir "csv_$kind" \
    "data/cells_1m.$kind" >/dev/null
done
