"""Makes the OpenDocument reader's fixtures: each workbook is written with XlsxWriter, then
opened and saved by LibreOffice both as .ods and as .xlsx (soffice --headless --convert-to), so
the same cells exist in LibreOffice's own files of both kinds; LibreOffice also exports the texts
it displays for every sheet of the .ods to CSV (ods/<name>-<sheet>.csv), which the tests compare
cell by cell.
  ods_formats      numbers under every kind of format: dates, times, durations, percentages,
                   currency, thousands separators, leading zeros, scientific, fractions, text,
                   literals, negative sections, booleans
  ods_structure    a hidden sheet, repeated rows and columns, a comment, a merged range,
                   paragraphs, formula results (numbers, text, booleans, errors)
  ods_dates_1904   dates and times in a workbook that counts from 1904
Run with /usr/bin/python3 from tests/data/ (needs soffice)."""
import datetime
import glob
import os
import shutil
import subprocess
import sys
import tempfile

import xlsxwriter

OUT = "ods"

FORMATS = [
    (1234.5, "General"), (0.1 + 0.2, "General"), (-17, "General"), (1234.5678, "0.00"),
    (-1234.5678, "#,##0.00"), (1234567.891, "#,##0"), (0.5, "#,##0.0"), (0.256, "0%"),
    (0.256, "0.00%"), (-0.05, "0.0%"), (7, "000"), (42, "00000"), (123, "0000.00"),
    (1234.5, '"$"#,##0.00'), (-1234.5, '"$"#,##0.00'), (-1234.5, '"$"#,##0.00;[Red]-"$"#,##0.00'),
    (-5, "0;(0)"), (5, "0;(0)"), (0, '0;-0;"zero"'), (3, '0;-0;"zero"'), (-3, '0;-0;"zero"'),
    (12345.678, "0.00E+00"), (0.000123, "0.0E+00"), (0.75, "# ?/?"), (3.5, "# ??/??"),
    (1.25, "?/4"), (1234.5, '#,##0.00 "kg"'), (1234567, '#,##0,"K"'), (99, '"No. "0'),
    (0.5, "0.###"), (2, "0.###"), (45292, "m/d/yyyy"), (45292, "yyyy-mm-dd"),
    (45292.75, "m/d/yyyy h:mm"), (45292, "d mmm yyyy"), (45292, "dddd, mmmm d, yyyy"),
    (45292, "mmm-yy"), (45292, "dd/mm/yy"), (0.6041666666666666, "h:mm AM/PM"),
    (0.6042013888888889, "hh:mm:ss"), (0.6042013888888889, "h:mm:ss AM/PM"),
    (1.75, "[h]:mm"), (2.5, "[hh]:mm:ss"), (0.5, "mm:ss"), (45292.5, "yyyy-mm-dd hh:mm:ss"),
    (20, "0"), (-0.4, "0"), (1e15, "0"), (123456789, "#,##0.00"),
]


def formats(book):
    sheet = book.add_worksheet("Formats")
    for r, (value, code) in enumerate(FORMATS):
        sheet.write_string(r, 0, code)
        sheet.write_number(r, 1, value, book.add_format({"num_format": code}))
    r = len(FORMATS)
    sheet.write_string(r, 0, "boolean")
    sheet.write_boolean(r, 1, True)
    sheet.write_boolean(r + 1, 1, False)
    sheet.write_string(r + 2, 0, "text format")
    sheet.write_string(r + 2, 1, "00123", book.add_format({"num_format": "@"}))
    sheet.write_string(r + 3, 0, "text with literals")
    sheet.write_string(r + 3, 1, "abc", book.add_format({"num_format": '"<"@">"'}))
    sheet.write_string(r + 4, 0, "leading zeros as text")
    sheet.write_string(r + 4, 1, "007")


def structure(book):
    data = book.add_worksheet("Data")
    hidden = book.add_worksheet("Hidden")
    hidden.write_string("A1", "secret")
    hidden.hide()
    # Rows LibreOffice writes once with a repeat count, and a value repeated along a row.
    for r in range(10, 20):
        for c in range(0, 6):
            data.write_number(r, c, 7)
    data.write_string("A1", "first")
    data.write_string("H3", "far")
    data.write_comment("A1", "a comment that is not the cell's text")
    data.merge_range("C5:D6", "merged", book.add_format({}))
    data.write_string("A7", "line one\nline two")
    data.write_formula("B7", "=2*21", None, 42)
    data.write_formula("C7", '="x"&"y"', None, "xy")
    data.write_formula("D7", "=1>0", None, True)
    data.write_formula("E7", "=1/0", None, "#DIV/0!")
    data.write_formula("F7", "=NA()", None, "#N/A")
    data.write_string("A9", "  spaced  out  ")


def dates_1904(book):
    sheet = book.add_worksheet("Dates")
    cases = [(datetime.datetime(1904, 1, 2), "yyyy-mm-dd"),
             (datetime.datetime(2024, 2, 29, 12, 30), "m/d/yyyy h:mm"),
             (datetime.datetime(1999, 12, 31, 23, 59, 59), "dddd, mmmm d, yyyy hh:mm:ss")]
    for r, (value, code) in enumerate(cases):
        sheet.write_string(r, 0, code)
        sheet.write_datetime(r, 1, value, book.add_format({"num_format": code}))
    sheet.write_number(len(cases), 1, 1.5)


FIXTURES = {
    "ods_formats": (formats, {}),
    "ods_structure": (structure, {}),
    "ods_dates_1904": (dates_1904, {"date_1904": True}),
}


def soffice(args, cwd):
    subprocess.run(["soffice", "--headless", "-env:UserInstallation=file:///tmp/ods_fixture_lo"]
                   + args, cwd=cwd, check=True, stdout=subprocess.DEVNULL)


def export_csv(path, name, work):
    csv_dir = os.path.join(work, "csv_" + name)
    os.makedirs(csv_dir, exist_ok=True)
    # 44 comma, 34 quote, 76 UTF-8, from row 1, ..., save cell contents as shown, all sheets.
    soffice(["--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,-1",
             "--outdir", csv_dir, os.path.abspath(path)], work)
    for csv in glob.glob(os.path.join(csv_dir, "*.csv")):
        shutil.copy(csv, os.path.join(OUT, os.path.basename(csv)))


def main():
    os.makedirs(OUT, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        for name, (fill, options) in FIXTURES.items():
            source = os.path.join(work, name + ".xlsx")
            book = xlsxwriter.Workbook(source, options)
            fill(book)
            book.close()
            saved = os.path.join(work, "lo")
            os.makedirs(saved, exist_ok=True)
            soffice(["--convert-to", "ods", "--outdir", saved, source], work)
            shutil.copy(os.path.join(saved, name + ".ods"), OUT)
            soffice(["--convert-to", "xlsx:Calc MS Excel 2007 XML", "--outdir", saved,
                     os.path.abspath(os.path.join(OUT, name + ".ods"))], work)
            shutil.copy(os.path.join(saved, name + ".xlsx"), OUT)
            export_csv(os.path.join(OUT, name + ".ods"), name, work)


if __name__ == "__main__":
    sys.exit(main())
