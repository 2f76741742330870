#!/usr/bin/env bash
# Times the legacy (.xls) reader against the .xlsx reader on the same million cells, and on the
# hostile and text-heavy legacy files, in one sitting. Usage: run.sh ENGINE_BIN_DIR [--no-libreoffice]
#   ENGINE_BIN_DIR: bin/ of a Release build with -DBRINTOVA_BENCH=ON (engine_read_bench,
#   brintova-cli). Needs python3-xlsxwriter, python3-openpyxl, LibreOffice and GNU time.
# Each engine figure is the median of three runs: wall time and peak RSS from GNU time.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=$(realpath "$1")
with_lo=1
[[ "${2:-}" == "--no-libreoffice" ]] && with_lo=0
py=/usr/bin/python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
profile="file://$work/profile"

median() {  # "wall s, peak MiB" of three runs of the command
  for _ in 1 2 3; do /usr/bin/time -f '%e %M' "$@" 2>&1 >/dev/null | tail -1; done |
    $py -c "import sys, statistics as st
rows = [list(map(float, l.split())) for l in sys.stdin if l.strip()]
print('%.3f s, %.0f MiB' % (st.median(r[0] for r in rows), st.median(r[1] for r in rows) / 1024))"
}

cd "$work"
cp "$here/../kit/gen.py" .
$py gen.py 1m_2sheets >/dev/null
xlsx=data/cells_1m_2sheets.xlsx
soffice -env:UserInstallation="$profile" --headless --convert-to xls --outdir data "$xlsx" >/dev/null 2>&1
xls=data/cells_1m_2sheets.xls
# The same cells as LibreOffice writes them in .xlsx, for a like-for-like pair.
mkdir -p lo && soffice -env:UserInstallation="$profile" --headless --convert-to xlsx --outdir lo "$xls" >/dev/null 2>&1

# 20,000 cells showing one 16,000-character text, saved by LibreOffice as .xls.
$py - <<'EOF'
import openpyxl
book = openpyxl.Workbook()
sheet = book.active
text = "".join(chr(ord("a") + i % 26) for i in range(16000))
for row in range(1, 20001):
    sheet.cell(row=row, column=1, value=text)
book.save("data/long_texts.xlsx")
EOF
soffice -env:UserInstallation="$profile" --headless --convert-to xls --outdir data data/long_texts.xlsx >/dev/null 2>&1

echo "== sizes"
ls -l "$xlsx" "$xls" lo/cells_1m_2sheets.xlsx data/long_texts.xls | awk '{print $5, $NF}'
echo "== open + read every position (engine_read_bench --every)"
echo ".xlsx (xlsxwriter):    $(median "$bin/engine_read_bench" --every "$xlsx")"
echo ".xlsx (LibreOffice):   $(median "$bin/engine_read_bench" --every lo/cells_1m_2sheets.xlsx)"
echo ".xls  (LibreOffice):   $(median "$bin/engine_read_bench" --every "$xls")"
"$bin/engine_read_bench" --every "$xls" 2>&1 | tail -1
echo "== long texts, 20,000 x 16,000 characters"
echo "engine_read_bench:     $(median "$bin/engine_read_bench" data/long_texts.xls)"
echo "brintova-cli text:     $(median "$bin/brintova-cli" text data/long_texts.xls)"
mkdir -p out
echo "brintova-cli run:      $(median "$bin/brintova-cli" run --operation numbers --overwrite --output out data/long_texts.xls)"
echo "== calamine's allocation-bomb files"
for f in "$here"/../../tests/data/calamine/OOM_alloc*.xls; do
  echo "$(basename "$f"): $(median "$bin/engine_read_bench" "$f")"
done
if [[ $with_lo == 1 ]]; then
  echo "== LibreOffice: convert-to csv (start-up, open, write the first sheet), one run each"
  for f in "$xls" lo/cells_1m_2sheets.xlsx; do
    /usr/bin/time -f "$(basename "$f"): %e s, %M KiB" soffice -env:UserInstallation="$profile" \
      --headless --convert-to csv --outdir csv "$f" 2>&1 >/dev/null | tail -1
  done
fi
