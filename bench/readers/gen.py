# Copied unchanged from the team's side-by-side benchmark kit (its gen.py), so that this folder
# makes the same 1,000,000-cell workbook without the kit.
"""Deterministic generator of the benchmark workbooks (run from the bench folder).

    python3 gen.py                 # all sizes into data/
    python3 gen.py 100k 1m         # only these
    python3 gen.py --inline 1m     # constant_memory mode: inline strings, no shared-string table

Cell mix per cell (fixed seed): ~40% short strings (half drawn from a small repeated
pool, half unique), ~25% numbers in "0.00", "#,##0", "0%" or General, ~15% dates in
"yyyy-mm-dd" or "m/d/yyyy", ~5% booleans, ~15% empty.

iter_cells() is also imported by check.py: it yields each cell with the text a
spreadsheet shows for it, so outputs can be verified without re-reading the input.
"""
import datetime
import os
import random
import sys
from decimal import Decimal, ROUND_HALF_UP

SEED = 20240611
COLS = 10
# name -> (rows per sheet, columns, sheets)
SIZES = {
    "10k": ([1000], COLS),
    "100k": ([10000], COLS),
    "1m": ([100000], COLS),
    "100k_3sheets": ([3334, 3333, 3333], COLS),
}

NUM_FORMATS = ["0.00", "#,##0", "0%", None]  # None = General
DATE_FORMATS = ["yyyy-mm-dd", "m/d/yyyy"]
WORDS = ["North", "South", "Widget", "Gadget", "Café", "São Paulo", "Total", "pcs.",
         "Crème", "Order", "Delivered", "Pending", "naïve", "Größe", "Œuvre"]
EPOCH = datetime.date(1990, 1, 1)


def cell_count(name):
    rows, cols = SIZES[name]
    return sum(rows) * cols


def _half_up(d, quantum):
    return d.quantize(Decimal(quantum), rounding=ROUND_HALF_UP)


def _string(rng):
    t = rng.randrange(4)
    if t == 0:
        return "Order #%s-%d, %d pcs." % (chr(65 + rng.randrange(26)), rng.randint(1, 999), rng.randint(1, 99))
    if t == 1:
        return "ID%05d" % rng.randrange(100000)
    if t == 2:
        return "Café-%d" % rng.randint(1, 9999)
    return " ".join(rng.choice(WORDS) for _ in range(rng.randint(1, 3)))  # no digits


def _pool(seed):
    rng = random.Random("%s-pool" % seed)
    return [_string(rng) for _ in range(300)]


def _number(rng):
    """Return (value, format, displayed text). Exact .5 ties are avoided so the
    expected text does not depend on a renderer's tie-breaking rule."""
    fmt = rng.choice(NUM_FORMATS)
    while True:
        if fmt == "0.00":
            v = round(rng.uniform(-10000, 100000), 2)
            return v, fmt, str(_half_up(Decimal(repr(v)), "0.01"))
        if fmt == "#,##0":
            v = round(rng.uniform(-1e6, 1e7), 2)
            if abs(Decimal(repr(v))) % 1 == Decimal("0.5"):
                continue
            return v, fmt, "{:,}".format(int(_half_up(Decimal(repr(v)), "1")))
        if fmt == "0%":
            v = round(rng.uniform(0, 1.5), 4)
            pct = Decimal(repr(v)) * 100
            if pct % 1 == Decimal("0.5"):
                continue
            return v, fmt, "%d%%" % int(_half_up(pct, "1"))
        # General: integers or up to 3 decimals, short enough to show in full
        if rng.random() < 0.5:
            v = rng.randint(-99999, 999999)
            return v, None, str(v)
        v = round(rng.uniform(0, 10000), 3)
        if v == int(v):
            continue
        return v, None, repr(v)


def _date(rng):
    d = EPOCH + datetime.timedelta(days=rng.randrange(16800))
    fmt = rng.choice(DATE_FORMATS)
    if fmt == "yyyy-mm-dd":
        return d, fmt, d.isoformat()
    return d, fmt, "%d/%d/%d" % (d.month, d.day, d.year)


def iter_cells(name, seed=SEED):
    """Yield (sheet index, row, col, kind, value, number format, displayed text);
    row and col are 1-based. Empty cells are yielded with kind "empty"."""
    rows_per_sheet, cols = SIZES[name]
    pool = _pool(seed)
    for s, rows in enumerate(rows_per_sheet):
        rng = random.Random("%s-%s-%d" % (seed, name, s))
        for r in range(1, rows + 1):
            for c in range(1, cols + 1):
                x = rng.random()
                if r == rows and c == cols:
                    x = 0.0  # last cell never empty: fixes the used range
                if x < 0.40:
                    v = rng.choice(pool) if rng.random() < 0.5 else _string(rng)
                    yield s, r, c, "str", v, None, v
                elif x < 0.65:
                    v, fmt, shown = _number(rng)
                    yield s, r, c, "num", v, fmt, shown
                elif x < 0.80:
                    v, fmt, shown = _date(rng)
                    yield s, r, c, "date", v, fmt, shown
                elif x < 0.85:
                    v = rng.random() < 0.5
                    yield s, r, c, "bool", v, None, "TRUE" if v else "FALSE"
                else:
                    yield s, r, c, "empty", None, None, ""


def out_path(name, inline=False):
    return os.path.join("data", "cells_%s%s.xlsx" % (name, "_inline" if inline else ""))


def generate(name, inline=False):
    import xlsxwriter
    path = out_path(name, inline)
    # Normal mode keeps a shared-string table, as files saved by desktop spreadsheets do;
    # constant_memory mode streams rows but stores every string inline.
    wb = xlsxwriter.Workbook(path, {"constant_memory": inline, "strings_to_numbers": False,
                                    "strings_to_formulas": False, "strings_to_urls": False})
    fmts = {f: wb.add_format({"num_format": f}) for f in NUM_FORMATS + DATE_FORMATS if f}
    sheets = [wb.add_worksheet() for _ in SIZES[name][0]]
    for s, r, c, kind, v, fmt, _ in iter_cells(name):
        ws = sheets[s]
        if kind == "str":
            ws.write_string(r - 1, c - 1, v)
        elif kind == "num":
            ws.write_number(r - 1, c - 1, v, fmts.get(fmt))
        elif kind == "date":
            ws.write_datetime(r - 1, c - 1, v, fmts[fmt])
        elif kind == "bool":
            ws.write_boolean(r - 1, c - 1, v)
    wb.close()
    return path


def main(argv):
    inline = "--inline" in argv
    names = [a for a in argv if not a.startswith("--")] or list(SIZES)
    os.makedirs("data", exist_ok=True)
    for name in names:
        if name not in SIZES:
            sys.exit("unknown size %r (known: %s)" % (name, ", ".join(SIZES)))
        path = generate(name, inline)
        print("%s: %d cells, %d bytes" % (path, cell_count(name), os.path.getsize(path)))


if __name__ == "__main__":
    main(sys.argv[1:])
