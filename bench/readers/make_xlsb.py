"""Writes the benchmark workbook of gen.py as .xlsb (data/cells_<size>.xlsb): the same cells,
number formats and dates, with a shared-string table as the spreadsheet application keeps one.
LibreOffice cannot save .xlsb, so this script is the producer. Run from this folder:
/usr/bin/python3 make_xlsb.py 1m"""
import datetime
import os
import struct
import sys
import zipfile

import gen

REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG = "http://schemas.openxmlformats.org/package/2006/relationships"
FORMATS = {"0.00": 2, "#,##0": 3, "0%": 9, "yyyy-mm-dd": 164, "m/d/yyyy": 14}


def record(kind, body=b""):
    head = bytes([kind]) if kind < 0x80 else bytes([(kind & 0x7F) | 0x80, kind >> 7])
    size, out = len(body), b""
    while True:
        low, size = size & 0x7F, size >> 7
        out += bytes([low | (0x80 if size else 0)])
        if not size:
            break
    return head + out + body


def wide(text):
    return struct.pack("<I", len(text)) + text.encode("utf-16-le")


def serial(value):
    if isinstance(value, datetime.datetime):
        delta = value - datetime.datetime(1899, 12, 30)
        return delta.days + delta.seconds / 86400
    return (value - datetime.date(1899, 12, 30)).days


def main(name):
    rows_per_sheet, _ = gen.SIZES[name]
    styles = [None] + list(FORMATS)  # cell format index -> code
    style_of = {code: i for i, code in enumerate(styles)}
    strings, string_index = [], {}
    sheets = [bytearray() for _ in rows_per_sheet]
    current_row = [None] * len(rows_per_sheet)
    for s, r, c, kind, value, fmt, _ in gen.iter_cells(name):
        if kind == "empty":
            continue
        out = sheets[s]
        if current_row[s] != r:
            out += record(0, struct.pack("<IIH3sI", r - 1, 0, 0x115, b"\0\0\0", 0))
            current_row[s] = r
        head = struct.pack("<II", c - 1, style_of.get(fmt, 0))
        if kind == "str":
            if value not in string_index:
                string_index[value] = len(strings)
                strings.append(value)
            out += record(7, head + struct.pack("<I", string_index[value]))
        elif kind == "num":
            out += record(5, head + struct.pack("<d", value))
        elif kind == "date":
            out += record(5, head + struct.pack("<d", serial(value)))
        elif kind == "bool":
            out += record(4, head + bytes([1 if value else 0]))
    os.makedirs("data", exist_ok=True)
    path = os.path.join("data", "cells_%s.xlsb" % name)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml",
                   '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/'
                   'content-types"><Default Extension="bin" ContentType="application/vnd.ms-excel.'
                   'sheet.binary.macroEnabled.main"/><Default Extension="rels" ContentType="application/'
                   'vnd.openxmlformats-package.relationships+xml"/></Types>')
        z.writestr("_rels/.rels", f'<Relationships xmlns="{PKG}"><Relationship Id="rId1" '
                   f'Type="{REL}/officeDocument" Target="xl/workbook.bin"/></Relationships>')
        rels = f'<Relationships xmlns="{PKG}">'
        book = record(131) + record(153, struct.pack("<II", 0, 0) + wide("")) + record(143)
        for i, body in enumerate(sheets, start=1):
            rels += f'<Relationship Id="rId{i}" Type="{REL}/worksheet" Target="worksheets/sheet{i}.bin"/>'
            book += record(156, struct.pack("<II", 0, i) + wide(f"rId{i}") + wide(f"Sheet{i}"))
            z.writestr(f"xl/worksheets/sheet{i}.bin",
                       record(129) + record(145) + bytes(body) + record(146) + record(130))
        rels += (f'<Relationship Id="rId90" Type="{REL}/styles" Target="styles.bin"/>'
                 f'<Relationship Id="rId91" Type="{REL}/sharedStrings" Target="sharedStrings.bin"/>'
                 '</Relationships>')
        z.writestr("xl/_rels/workbook.bin.rels", rels)
        z.writestr("xl/workbook.bin", book + record(144) + record(132))
        style_records = record(615, struct.pack("<I", 1)) + record(44, struct.pack("<H", 164) + wide("yyyy-mm-dd"))
        style_records += record(616) + record(617, struct.pack("<I", len(styles)))
        for code in styles:
            style_records += record(47, struct.pack("<HH", 0, FORMATS.get(code, 0)) + bytes(12))
        z.writestr("xl/styles.bin", style_records + record(618))
        sst = record(159, struct.pack("<II", len(strings), len(strings)))
        sst += b"".join(record(19, b"\0" + wide(text)) for text in strings) + record(160)
        z.writestr("xl/sharedStrings.bin", sst)
    print("%s: %d bytes" % (path, os.path.getsize(path)))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "1m")
