#!/usr/bin/python3
# Writes the workbooks the server contract suite opens, with XlsxWriter as the producer. The
# suite registers the same content in the fake server by hand (tests/contract/fixtures.cpp);
# change both together.
# Run from this folder: /usr/bin/python3 contract_make_fixtures.py (needs soffice for the .ods)
import os
import shutil
import struct
import subprocess
import tempfile
import zipfile

import xlsxwriter


def book():
    # Tab order: Data, Chart1 (chart sheet), Secret (hidden), FromC5, Empty.
    book = xlsxwriter.Workbook("contract_book.xlsx")
    data = book.add_worksheet("Data")
    chart_sheet = book.add_chartsheet("Chart1")
    secret = book.add_worksheet("Secret")
    from_c5 = book.add_worksheet("FromC5")
    book.add_worksheet("Empty")

    data.write_string("A1", "alpha")
    data.write_number("B1", 1234.5, book.add_format({"num_format": "#,##0.00"}))
    data.write_formula("A2", "=1+2", None, 3)
    data.write_string("C2", "gamma")
    data.write_string("D3", "delta")
    # A cell with a format and no value: it shows nothing but belongs to the used range.
    data.write_blank("B4", None, book.add_format({"bold": True}))

    chart = book.add_chart({"type": "column"})
    chart.add_series({"values": "=Data!$B$1:$B$1"})
    chart_sheet.set_chart(chart)

    secret.write_string("A1", "hidden text")
    secret.hide()

    from_c5.write_string("C5", "ABCDEF")
    from_c5.write_string("E9", "xyz")
    book.close()


def sheet_names():
    # Names compare without regard to case, so "SHEET2" takes "Sheet2".
    book = xlsxwriter.Workbook("contract_sheet_names.xlsx")
    for name in ("Sheet1", "SHEET2", "Sheet4"):
        book.add_worksheet(name).write_string("A1", name)
    book.close()


book()
sheet_names()


def record(kind, body=b""):
    """One record of a binary workbook part: type, seven-bit size bytes, body."""
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


def sheet_names_other_kinds():
    # The same three sheets as contract_sheet_names.xlsx, as LibreOffice saves them in .ods and
    # as binary records in .xlsb (which LibreOffice cannot save).
    work = tempfile.mkdtemp()
    subprocess.run(["soffice", "--headless", f"-env:UserInstallation=file://{work}/profile",
                    "--convert-to", "ods", "--outdir", work, os.path.abspath("contract_sheet_names.xlsx")],
                   check=True, stdout=subprocess.DEVNULL)
    shutil.copy(os.path.join(work, "contract_sheet_names.ods"), "contract_sheet_names.ods")
    shutil.rmtree(work)
    rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
    pkg = "http://schemas.openxmlformats.org/package/2006/relationships"
    names = ["Sheet1", "SHEET2", "Sheet4"]
    with zipfile.ZipFile("contract_sheet_names.xlsb", "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml",
                   '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/'
                   '2006/content-types"><Default Extension="bin" ContentType="application/vnd.ms-'
                   'excel.sheet.binary.macroEnabled.main"/><Default Extension="rels" ContentType='
                   '"application/vnd.openxmlformats-package.relationships+xml"/></Types>')
        z.writestr("_rels/.rels", f'<Relationships xmlns="{pkg}"><Relationship Id="rId1" '
                   f'Type="{rel}/officeDocument" Target="xl/workbook.bin"/></Relationships>')
        rels = f'<Relationships xmlns="{pkg}">'
        book = record(131) + record(153, struct.pack("<II", 0, 0) + wide("")) + record(143)
        for i, name in enumerate(names, start=1):
            rels += f'<Relationship Id="rId{i}" Type="{rel}/worksheet" Target="worksheets/sheet{i}.bin"/>'
            book += record(156, struct.pack("<II", 0, i) + wide(f"rId{i}") + wide(name))
            cells = (record(0, struct.pack("<IIH3sI", 0, 0, 0x115, b"\0\0\0", 0))
                     + record(6, struct.pack("<II", 0, 0) + wide(name)))
            z.writestr(f"xl/worksheets/sheet{i}.bin",
                       record(129) + record(145) + cells + record(146) + record(130))
        z.writestr("xl/_rels/workbook.bin.rels", rels + "</Relationships>")
        z.writestr("xl/workbook.bin", book + record(144) + record(132))


sheet_names_other_kinds()
