#!/usr/bin/env bash
# Times the engine and the peers of the benchmark kit (bench/kit) on the kit's workbooks, in one
# sitting. Usage: side_by_side.sh KIT_COPY ENGINE_BIN_DIR [--no-libreoffice]
#   KIT_COPY: a writable copy of bench/kit with data/ generated (python3 gen.py) and node/ set up
#   ENGINE_BIN_DIR: bin/ of a Release build with -DBRINTOVA_BENCH=ON
# The engine: wall medians from hyperfine (one warm-up), peak RSS from GNU time (median of
# three runs). The peers take seconds to minutes: median wall and peak RSS of GNU time runs.
set -euo pipefail
kit=$(realpath "$1")
bin=$(realpath "$2")
with_lo=1
[[ "${3:-}" == "--no-libreoffice" ]] && with_lo=0
py=/usr/bin/python3
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cd "$kit"

peak() {  # median peak RSS in MiB of three runs of the command
  for _ in 1 2 3; do /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1; done |
    sort -n | sed -n 2p | awk '{printf "%.0f MiB\n", $1 / 1024}'
}
wall() {  # median wall time of `runs` runs after one warm-up
  local runs=$1
  shift
  hyperfine -N -w 1 -r "$runs" --export-json "$out/h.json" "$*" >/dev/null 2>&1
  $py -c "import json; r = json.load(open('$out/h.json'))['results'][0]; \
print('%.3f s (user+sys %.3f s)' % (r['median'], r['user'] + r['system']))"
}
timed() {  # for the slow peers: `runs` runs, no warm-up; median wall and median peak RSS
  local runs=$1
  shift
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f '%e %U %S %M' "$@" 2>&1 >/dev/null | tail -1
  done | $py -c "import sys, statistics as st
rows = [list(map(float, l.split())) for l in sys.stdin if l.strip()]
m = lambda k: st.median(r[k] for r in rows)
print('%.2f s (user+sys %.2f s), %.0f MiB, %d run(s)' % (m(0), m(1) + m(2), m(3) / 1024, len(rows)))"
}

for size in ${SIZES:-10k 100k 100k_3sheets 1m}; do  # SIZES="10k" for a quick look
  in=data/cells_$size.xlsx
  echo "== $size"
  echo "engine open+read:   $(wall 5 "$bin/engine_read_bench --every $in"), $(peak "$bin/engine_read_bench" --every "$in")"
  echo "engine round trip:  $(wall 5 "$bin/engine_roundtrip_bench $in $out/engine_$size.xlsx"), $(peak "$bin/engine_roundtrip_bench" "$in" "$out/engine_$size.xlsx")"
  $py check.py "$size" "$out/engine_$size.xlsx" display | tail -1
  [[ $size == 10k ]] && continue
  echo "SheetJS (B):        $(timed 3 node node/peer_sheetjs.js "$in" "$out/sheetjs_$size.xlsx")"
  runs=3
  [[ $size == 1m ]] && runs=1
  echo "openpyxl (A):       $(timed $runs $py peer_openpyxl.py full "$in" "$out/openpyxl_$size.xlsx")"
done
echo "== floors, 1m"
echo "unzip -p:           $(wall 5 "unzip -p data/cells_1m.xlsx")"
echo "zipfile + expat:    $(wall 3 "$py floor_expat.py data/cells_1m.xlsx --bare")"
if [[ $with_lo == 1 ]]; then
  # GNU time's peak covers soffice, which the peer waits for.
  echo "LibreOffice (C) 1m: $(timed 1 $py peer_lo.py inproc data/cells_1m.xlsx "$out/lo_1m.xlsx")"
fi
