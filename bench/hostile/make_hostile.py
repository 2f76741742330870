#!/usr/bin/env python3
"""Writes the hostile workbooks of the benchmark into a folder (they are made, never committed):

  shared_string_1gib.xlsx  one shared string of 1 GiB (about 200:1), used by 2,000 cells
  shared_string_1e9.xlsx   the same with a string of 1,000,000,000 bytes: within the budget
  sheet_1gib.xlsx          one sheet of 1 GiB, 71.5 million cells, in about 6 MB (about 185:1)
  sheet_1e9.xlsx           the same with a sheet of 1,000,000,000 bytes: within the budget
  sheets_100000.xlsx       100,000 sheets of one cell each
  format_code_30000.xlsx   a number format of 30,000 "0"s on 40,000 cells

Usage: make_hostile.py FOLDER [NAME...]   (all four when no NAME is given)
Parts are streamed into the zip, so the script never holds a large part in memory.
"""
import os
import random
import sys
import zipfile

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PACKAGE_REL = "http://schemas.openxmlformats.org/package/2006/relationships"
SHEET_TYPE = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"
CHUNK = 1 << 20


def content_types(sheet_count, extra=""):
    overrides = "".join(
        f'<Override PartName="/xl/worksheets/sheet{n}.xml" ContentType="{SHEET_TYPE}"/>'
        for n in range(1, sheet_count + 1))
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
            '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
            '<Default Extension="rels" '
            'ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
            '<Default Extension="xml" ContentType="application/xml"/>'
            '<Override PartName="/xl/workbook.xml" ContentType="application/'
            'vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
            + overrides + extra + '</Types>')


def package_rels():
    return (f'<Relationships xmlns="{PACKAGE_REL}"><Relationship Id="rId1" '
            f'Type="{REL}/officeDocument" Target="xl/workbook.xml"/></Relationships>')


def workbook(sheet_count):
    sheets = "".join(f'<sheet name="Sheet{n}" sheetId="{n}" r:id="rId{n}"/>'
                     for n in range(1, sheet_count + 1))
    return f'<workbook xmlns="{MAIN}" xmlns:r="{REL}"><sheets>{sheets}</sheets></workbook>'


def workbook_rels(sheet_count, extra=""):
    rels = "".join(f'<Relationship Id="rId{n}" Type="{REL}/worksheet" '
                   f'Target="worksheets/sheet{n}.xml"/>' for n in range(1, sheet_count + 1))
    return f'<Relationships xmlns="{PACKAGE_REL}">{rels}{extra}</Relationships>'


def write_streamed(archive, name, pieces):
    """Writes a part from an iterable of byte strings without holding it whole."""
    with archive.open(name, "w", force_zip64=True) as part:
        buffered = []
        size = 0
        for piece in pieces:
            buffered.append(piece)
            size += len(piece)
            if size >= CHUNK:
                part.write(b"".join(buffered))
                buffered, size = [], 0
        part.write(b"".join(buffered))


def open_package(path):
    return zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=6)


def shared_string(path, size):
    random.seed(1)
    letters = b"abcdefghijklmnopqrstuvwxyz"

    def text():
        yield f'<sst xmlns="{MAIN}" count="2000" uniqueCount="1"><si><t>'.encode()
        left = size
        while left > 0:  # runs of "a" broken by a random letter about every 800 characters
            run = min(left, random.randint(400, 1200))
            yield b"a" * (run - 1) + bytes([random.choice(letters)])
            left -= run
        yield b"</t></si></sst>"

    strings_type = ('<Override PartName="/xl/sharedStrings.xml" ContentType="application/'
                    'vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>')
    with open_package(path) as archive:
        archive.writestr("[Content_Types].xml", content_types(1, strings_type))
        archive.writestr("_rels/.rels", package_rels())
        archive.writestr("xl/workbook.xml", workbook(1))
        archive.writestr("xl/_rels/workbook.xml.rels", workbook_rels(
            1, f'<Relationship Id="rId9" Type="{REL}/sharedStrings" Target="sharedStrings.xml"/>'))
        rows = "".join(f'<row r="{r}"><c r="A{r}" t="s"><v>0</v></c><c r="B{r}" t="s"><v>0</v>'
                       '</c></row>' for r in range(1, 1001))
        archive.writestr("xl/worksheets/sheet1.xml",
                         f'<worksheet xmlns="{MAIN}"><sheetData>{rows}</sheetData></worksheet>')
        write_streamed(archive, "xl/sharedStrings.xml", text())


def sheet(path, size):
    random.seed(2)

    def cells():
        yield f'<worksheet xmlns="{MAIN}"><sheetData>'.encode()
        written = 0
        while written < size:
            row = [b"<row>"]
            for _ in range(16384):  # mostly "1", a random digit about every 60 cells
                digit = b"1" if random.randrange(60) else str(random.randint(2, 9)).encode()
                row.append(b"<c><v>" + digit + b"</v></c>")
            row.append(b"</row>")
            piece = b"".join(row)
            written += len(piece)
            yield piece
        yield b"</sheetData></worksheet>"

    with open_package(path) as archive:
        archive.writestr("[Content_Types].xml", content_types(1))
        archive.writestr("_rels/.rels", package_rels())
        archive.writestr("xl/workbook.xml", workbook(1))
        archive.writestr("xl/_rels/workbook.xml.rels", workbook_rels(1))
        write_streamed(archive, "xl/worksheets/sheet1.xml", cells())


def sheets_100000(path):
    count = 100000
    with open_package(path) as archive:
        archive.writestr("[Content_Types].xml", content_types(count))
        archive.writestr("_rels/.rels", package_rels())
        archive.writestr("xl/workbook.xml", workbook(count))
        archive.writestr("xl/_rels/workbook.xml.rels", workbook_rels(count))
        for n in range(1, count + 1):
            archive.writestr(f"xl/worksheets/sheet{n}.xml",
                             f'<worksheet xmlns="{MAIN}"><sheetData><row r="1"><c r="A1">'
                             f'<v>{n}</v></c></row></sheetData></worksheet>')


def format_code_30000(path):
    styles_type = ('<Override PartName="/xl/styles.xml" ContentType="application/'
                   'vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>')
    with open_package(path) as archive:
        archive.writestr("[Content_Types].xml", content_types(1, styles_type))
        archive.writestr("_rels/.rels", package_rels())
        archive.writestr("xl/workbook.xml", workbook(1))
        archive.writestr("xl/_rels/workbook.xml.rels", workbook_rels(
            1, f'<Relationship Id="rId9" Type="{REL}/styles" Target="styles.xml"/>'))
        archive.writestr("xl/styles.xml",
                         f'<styleSheet xmlns="{MAIN}"><numFmts count="1"><numFmt numFmtId="164" '
                         f'formatCode="{"0" * 30000}"/></numFmts><cellXfs count="2">'
                         '<xf numFmtId="0"/><xf numFmtId="164" applyNumberFormat="1"/>'
                         '</cellXfs></styleSheet>')
        rows = "".join(f'<row r="{r}">' + "".join(
            f'<c r="{col}{r}" s="1"><v>{r}</v></c>' for col in "ABCDEFGHIJ") + "</row>"
            for r in range(1, 4001))
        archive.writestr("xl/worksheets/sheet1.xml",
                         f'<worksheet xmlns="{MAIN}"><sheetData>{rows}</sheetData></worksheet>')


MAKERS = {
    "shared_string_1gib.xlsx": lambda path: shared_string(path, 1 << 30),
    "shared_string_1e9.xlsx": lambda path: shared_string(path, 10**9),
    "sheet_1gib.xlsx": lambda path: sheet(path, 1 << 30),
    "sheet_1e9.xlsx": lambda path: sheet(path, 10**9),
    "sheets_100000.xlsx": sheets_100000,
    "format_code_30000.xlsx": format_code_30000,
}


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name in sys.argv[2:] or MAKERS:
        path = os.path.join(folder, name)
        MAKERS[name](path)
        print(f"{path}: {os.path.getsize(path) / 1e6:.1f} MB")


if __name__ == "__main__":
    main()
