#!/usr/bin/env python3
"""Writes samples.txt: the workbooks of Samples/ as the stand-in spreadsheet application knows
them, with the displayed texts the program's own engine reads (brintova-cli text) and each
workbook's chart sheets in their places. Also writes samples_alphanumeric.results: what the
results sheet of each sample holds after operation 2 (letters and digits), as the engine's own
run leaves it; the Windows program's run against the stand-in must give the same. (Not .txt:
the stand-in loads every .txt of this folder as workbooks.)

    python3 tests/data/standin/samples_make_fixture.py build/test/bin/brintova-cli
"""
import re
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[3]
SAMPLES = ROOT / "Samples"
OUT = Path(__file__).resolve().parent / "samples.txt"
RESULTS = Path(__file__).resolve().parent / "samples_alphanumeric.results"


def sheet_order(path):
    """(name, is_chart) of every sheet of an Office Open XML workbook, in order."""
    with zipfile.ZipFile(path) as package:
        book = package.read("xl/workbook.xml").decode()
        rels = package.read("xl/_rels/workbook.xml.rels").decode()
    kinds = {m.group(1): m.group(2) for m in re.finditer(
        r'<Relationship[^>]*Id="([^"]+)"[^>]*Type="[^"]*/([a-z]+)"', rels)}
    order = []
    for m in re.finditer(r'<sheet\b[^>]*?name="([^"]+)"[^>]*?r:id="([^"]+)"', book):
        order.append((m.group(1), kinds.get(m.group(2)) == "chartsheet"))
    return order


def main():
    cli = sys.argv[1]
    lines = ["# The sample workbooks (Samples/) as the stand-in knows them: the texts",
             "# brintova-cli text shows for them. Written by samples_make_fixture.py."]
    for path in sorted(SAMPLES.iterdir()):
        listing = subprocess.run([cli, "text", str(path)], check=True, capture_output=True,
                                 text=True).stdout
        cells = {}
        names = []
        for row in listing.splitlines():
            sheet, address, text = row.split("\t", 2)
            if sheet not in cells:
                names.append(sheet)
                cells[sheet] = []
            cells[sheet].append(f"{address}\t{text}")
        order = sheet_order(path) if path.suffix.lower() != ".xls" else [(n, False) for n in names]
        lines.append("")
        lines.append(f"workbook {path.name}")
        for name, chart in order:
            lines.append(f"{'chart' if chart else 'worksheet'} {name}")
            lines.extend(cells.get(name, []))
    OUT.write_text("\n".join(lines) + "\n", encoding="utf-8")

    results = ["# The results sheet of each sample after operation 2, as the engine leaves it.",
               "# Written by samples_make_fixture.py."]
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([cli, "run", "--operation", "2", "--mode", "workbook", "--output", out,
                        str(SAMPLES)], check=True, capture_output=True)
        for path in sorted(SAMPLES.iterdir()):
            saved = Path(out) / (path.stem + ".xlsx")
            listing = subprocess.run([cli, "text", str(saved)], check=True, capture_output=True,
                                     text=True).stdout
            results.append("")
            results.append(f"workbook {path.name}")
            for row in listing.splitlines():
                results.append(row.split("\t", 1)[1])
    RESULTS.write_text("\n".join(results) + "\n", encoding="utf-8")


if __name__ == "__main__":
    main()
