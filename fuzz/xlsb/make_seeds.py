"""Writes the seed corpus of xlsb_fuzz into seeds/: small packages as "#=part" lists of binary
records (the harness packs them into a zip) covering every cell record, number formats, shared
strings, both date systems and hidden and chart sheets, plus three calamine fixtures from
tests/data as real zips. Run from this folder: python3 make_seeds.py"""
import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SEEDS = os.path.join(HERE, "seeds")
DATA = os.path.join(HERE, "..", "..", "tests", "data", "calamine")
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG = "http://schemas.openxmlformats.org/package/2006/relationships"


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


def cell(column, style=0):
    return struct.pack("<II", column, style)


def row(index):
    return record(0, struct.pack("<IIH3sI", index, 0, 0x115, b"\0\0\0", 0))


def package(sheets, styles=b"", strings=b"", date1904=False):
    rels = f'<Relationships xmlns="{PKG}">'
    book = record(131) + record(153, struct.pack("<II", 1 if date1904 else 0, 0) + wide("")) + record(143)
    parts = {}
    for i, (name, kind, state, body) in enumerate(sheets, start=1):
        folder = "chartsheets" if kind == "chartsheet" else "worksheets"
        rels += f'<Relationship Id="rId{i}" Type="{REL}/{kind}" Target="{folder}/sheet{i}.bin"/>'
        book += record(156, struct.pack("<II", state, i) + wide(f"rId{i}") + wide(name))
        parts[f"xl/{folder}/sheet{i}.bin"] = record(129) + record(145) + body + record(146) + record(130)
    if styles:
        rels += f'<Relationship Id="rId90" Type="{REL}/styles" Target="styles.bin"/>'
        parts["xl/styles.bin"] = styles
    if strings:
        rels += f'<Relationship Id="rId91" Type="{REL}/sharedStrings" Target="sharedStrings.bin"/>'
        parts["xl/sharedStrings.bin"] = strings
    rels += "</Relationships>"
    book += record(144) + record(132)
    out = (b"#=_rels/.rels\n" + f'<Relationships xmlns="{PKG}"><Relationship Id="rId1" '
           f'Type="{REL}/officeDocument" Target="xl/workbook.bin"/></Relationships>'.encode()
           + b"\n#=xl/_rels/workbook.bin.rels\n" + rels.encode() + b"\n#=xl/workbook.bin\n" + book)
    for name, body in parts.items():
        out += b"\n#=" + name.encode() + b"\n" + body
    return out


def xf(fmt):
    return record(47, struct.pack("<HH", 0, fmt) + bytes(12))


STYLES = (record(615, struct.pack("<I", 2)) + record(44, struct.pack("<H", 164) + wide("0.000"))
          + record(44, struct.pack("<H", 165) + wide('[Red]#,##0;(#,##0);"zero";@')) + record(616)
          + record(626, struct.pack("<I", 1)) + xf(0) + record(627)
          + record(617, struct.pack("<I", 5)) + xf(0) + xf(164) + xf(14) + xf(49) + xf(165) + record(618))
STRINGS = (record(159, struct.pack("<II", 3, 3)) + record(19, b"\0" + wide("plain"))
           + record(19, b"\1" + wide("rich runs") + struct.pack("<I", 0)) + record(19, b"\0" + wide("ID00123"))
           + record(160))
CELLS = (row(0) + record(2, cell(0) + struct.pack("<I", (1234 << 2) | 2))
         + record(2, cell(1, 1) + struct.pack("<I", (12345 << 2) | 3))
         + record(5, cell(2, 2) + struct.pack("<d", 45292.5)) + record(4, cell(3) + b"\1")
         + record(3, cell(4) + b"\x07") + record(6, cell(5, 3) + wide("text"))
         + record(7, cell(6) + struct.pack("<I", 1)) + row(4)
         + record(8, cell(0) + wide("formula") + struct.pack("<HI", 0, 0))
         + record(9, cell(1, 4) + struct.pack("<dHI", -3.5, 0, 0))
         + record(10, cell(2) + b"\0" + struct.pack("<HI", 0, 0))
         + record(11, cell(3) + b"\x2a" + struct.pack("<HI", 0, 0)) + record(1, cell(4, 2))
         + record(62, cell(5) + b"\1" + wide("rich cell") + struct.pack("<I", 0)))


def main():
    os.makedirs(SEEDS, exist_ok=True)
    seeds = {
        "cell_records.parts": package([("Data", "worksheet", 0, CELLS)], STYLES, STRINGS),
        "dates_1904.parts": package([("Dates", "worksheet", 0, CELLS)], STYLES, STRINGS, True),
        "sheet_kinds.parts": package([("Shown", "worksheet", 0, row(0) + record(5, cell(0) + struct.pack("<d", 1))),
                                      ("Hidden", "worksheet", 1, b""), ("Chart", "chartsheet", 0, b""),
                                      ("Very", "worksheet", 2, b"")]),
        "bare.parts": package([("Empty", "worksheet", 0, b"")]),
    }
    for name, content in seeds.items():
        with open(os.path.join(SEEDS, name), "wb") as f:
            f.write(content)
    for name in ("date.xlsb", "issues.xlsb", "issue_182.xlsb"):
        shutil.copy(os.path.join(DATA, name), os.path.join(SEEDS, name))


if __name__ == "__main__":
    main()
