#!/usr/bin/env python3
"""Writes the stand-in workbooks of the automation benchmark: fixtures/sparse_100k.txt, one
worksheet of 1,000 rows by 100 columns (100,000 cells) with 1,000 of them (1%) holding text at
random places (fixed seed), and fixtures/sparse_1k.txt, 10 rows by 100 columns with 10 filled.
The first and the last cell are always filled, so the used range is the whole block."""
import random
from pathlib import Path



def letters(column):
    text = ""
    while column:
        column, rest = divmod(column - 1, 26)
        text = chr(ord("A") + rest) + text
    return text


def write(name, rows, columns, filled):
    rng = random.Random(20150219)
    cells = {(1, 1), (rows, columns)}
    while len(cells) < filled:
        cells.add((rng.randint(1, rows), rng.randint(1, columns)))
    lines = [f"# Made by bench/automation/make_fixture.py: {rows} rows x {columns} columns, 1% filled.",
             f"workbook {name}.xlsx", "worksheet Sparse"]
    for row, column in sorted(cells):
        lines.append(f"{letters(column)}{row}\tItem-{row}-{column}")
    out = Path(__file__).with_name("fixtures") / f"{name}.txt"
    out.write_text("\n".join(lines) + "\n", encoding="utf-8")


def main():
    write("sparse_100k", 1000, 100, 1000)
    write("sparse_1k", 10, 100, 10)


if __name__ == "__main__":
    main()
