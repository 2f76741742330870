"""Makes the engine's reader fixtures: each workbook is written with XlsxWriter, then opened and
saved again by LibreOffice (soffice --headless --convert-to xlsx), so the files under test are
LibreOffice's own; LibreOffice also exports the texts it displays for every sheet to CSV
(engine/<name>-<sheet>.csv), which the tests compare cell by cell.
  used_range_from_c5.xlsx             text in C5 and E9 only, a formatted empty cell in D12
  dates_1900.xlsx / dates_1904.xlsx   the same dates and times under both date systems
  hidden_sheets.xlsx                  a hidden and a very hidden worksheet between visible ones
  rich_text_strings.xlsx              rich-text runs and plain shared strings
  formulas_with_cached_values.xlsx    number, string, boolean and error results of formulas
  number_formats.xlsx                 numbers, percentages, currency, fractions, text format
Two files stay as XlsxWriter wrote them, because LibreOffice rewrites what they prove:
  inline_strings.xlsx   (constant_memory mode: every string inline; LibreOffice would share them)
  chart_sheet.xlsx      (a chart sheet first; LibreOffice saves chart sheets as worksheets)
Run with /usr/bin/python3 from tests/data/ (needs soffice)."""
import datetime
import glob
import os
import shutil
import subprocess
import sys
import tempfile

import xlsxwriter

OUT = "engine"


def used_range_from_c5(book):
    sheet = book.add_worksheet("Data")
    sheet.write_string("C5", "first")
    sheet.write_string("E9", "last")
    sheet.write_blank("D12", None, book.add_format({"bold": True, "bg_color": "#FFFF00"}))


def dates(book):
    sheet = book.add_worksheet("Dates")
    formats = ["yyyy-mm-dd", "m/d/yyyy", "d mmm yyyy", "dddd, mmmm d, yyyy", "h:mm:ss",
               "yyyy-mm-dd hh:mm", "[h]:mm", "mmm-yy"]
    values = [datetime.datetime(1904, 1, 2), datetime.datetime(1999, 12, 31, 23, 59, 59),
              datetime.datetime(2024, 2, 29, 12, 30), datetime.datetime(2000, 3, 1, 6, 5, 4)]
    for c, code in enumerate(formats):
        fmt = book.add_format({"num_format": code})
        sheet.write_string(0, c, code)
        for r, value in enumerate(values):
            sheet.write_datetime(r + 1, c, value, fmt)
    sheet.write_number("A7", 1.5)  # a plain number: the date system must not touch it


def hidden_sheets(book):
    book.add_worksheet("Visible").write_string("A1", "one")
    hidden = book.add_worksheet("Hidden")
    hidden.write_string("B2", "two")
    hidden.hide()
    very = book.add_worksheet("VeryHidden")
    very.write_string("C3", "three")
    very.very_hidden() if hasattr(very, "very_hidden") else very.hide()
    book.add_worksheet("Last").write_string("A1", "four")


def rich_text(book):
    sheet = book.add_worksheet("Text")
    bold = book.add_format({"bold": True})
    red = book.add_format({"font_color": "red"})
    sheet.write_rich_string("A1", "plain ", bold, "bold", " and ", red, "red")
    sheet.write_rich_string("A2", bold, "ID", "00123")
    sheet.write_string("A3", "Café-42 \u00e9\u4e2d\u6587")
    sheet.write_string("A4", "  spaced  ")
    sheet.write_string("A5", "line one\nline two")
    sheet.write_string("B1", "plain ")  # shares no entry with the rich text of A1


def formulas(book):
    sheet = book.add_worksheet("Calc")
    sheet.write_number("A1", 21)
    sheet.write_string("A2", "abc")
    sheet.write_formula("B1", "=A1*2", None, 42)
    sheet.write_formula("B2", '=A2&"-"&A1', None, "abc-21")
    sheet.write_formula("B3", "=A1>20", None, True)
    sheet.write_formula("B4", "=1/0", None, "#DIV/0!")
    sheet.write_formula("B5", "=A1/8", book.add_format({"num_format": "0.00"}), 2.625)
    sheet.write_formula("B6", '=""', None, "")


def number_formats(book):
    sheet = book.add_worksheet("Numbers")
    cases = [(1234.5, "General"), (0.1 + 0.2, "General"), (1234.5678, "0.00"),
             (-1234.5678, "#,##0.00"), (0.256, "0%"), (0.256, "0.0%"), (1234567.891, "#,##0"),
             (-5, "0;(0)"), (0, '0;-0;"zero"'), (12345.678, "0.00E+00"), (0.75, "# ?/?"),
             (3.5, "# ??/??"), (42, "@"), (1234.5, '"$"#,##0.00'), (-1234.5, '"$"#,##0.00_);("$"#,##0.00)'),
             (7, "000"), (123456789012, "General"), (1e-7, "General"), (True, None),
             (False, None)]
    for r, (value, code) in enumerate(cases):
        sheet.write_string(r, 0, code or "boolean")
        if isinstance(value, bool):
            sheet.write_boolean(r, 1, value)
        else:
            sheet.write_number(r, 1, value, book.add_format({"num_format": code}))
    text_cell = book.add_format({"num_format": "@"})
    sheet.write_string(len(cases), 1, "00123", text_cell)


def inline_strings(path):
    book = xlsxwriter.Workbook(path, {"constant_memory": True})
    sheet = book.add_worksheet("Inline")
    sheet.write_string("A1", "inline one")
    sheet.write_string("B1", "ID00123")
    sheet.write_number("C1", 3.25)
    sheet.write_string("A2", "Café")
    book.close()


def chart_sheet(path):
    book = xlsxwriter.Workbook(path)
    chart_sheet = book.add_chartsheet("Chart1")
    data = book.add_worksheet("Data")
    data.write_column("A1", [1, 2, 3])
    chart = book.add_chart({"type": "line"})
    chart.add_series({"values": "=Data!$A$1:$A$3"})
    chart_sheet.set_chart(chart)
    book.add_worksheet("After").write_string("A1", "after the chart")
    book.close()


MADE_BY_LIBREOFFICE = {
    "used_range_from_c5": (used_range_from_c5, {}),
    "dates_1900": (dates, {}),
    "dates_1904": (dates, {"date_1904": True}),
    "hidden_sheets": (hidden_sheets, {}),
    "rich_text_strings": (rich_text, {}),
    "formulas_with_cached_values": (formulas, {}),
    "number_formats": (number_formats, {}),
}


def soffice(args, cwd):
    subprocess.run(["soffice", "--headless", "-env:UserInstallation=file:///tmp/engine_fixture_lo"]
                   + args, cwd=cwd, check=True, stdout=subprocess.DEVNULL)


def export_csv(xlsx, name, work):
    csv_dir = os.path.join(work, "csv_" + name)
    os.makedirs(csv_dir, exist_ok=True)
    # 44 comma, 34 quote, 76 UTF-8, from row 1, ..., save cell contents as shown, all sheets.
    soffice(["--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,-1",
             "--outdir", csv_dir, os.path.abspath(xlsx)], work)
    for csv in glob.glob(os.path.join(csv_dir, "*.csv")):
        shutil.copy(csv, os.path.join(OUT, os.path.basename(csv)))


def main():
    os.makedirs(OUT, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        for name, (fill, options) in MADE_BY_LIBREOFFICE.items():
            source = os.path.join(work, name + ".xlsx")
            book = xlsxwriter.Workbook(source, options)
            fill(book)
            book.close()
            saved = os.path.join(work, "lo")
            os.makedirs(saved, exist_ok=True)
            soffice(["--convert-to", "xlsx:Calc MS Excel 2007 XML", "--outdir", saved, source], work)
            shutil.copy(os.path.join(saved, name + ".xlsx"), OUT)
            export_csv(os.path.join(OUT, name + ".xlsx"), name, work)
        for name, make in (("inline_strings", inline_strings), ("chart_sheet", chart_sheet)):
            path = os.path.join(OUT, name + ".xlsx")
            make(path)
            export_csv(path, name, work)


if __name__ == "__main__":
    sys.exit(main())
