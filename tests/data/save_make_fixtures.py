"""Makes the save fixtures with XlsxWriter (another producer than this program):
save_names_chartsheet.xlsx - a chart sheet first, a data sheet with a chart, a comment, number
  formats, sheet-local and global defined names and a print area, a hidden sheet after it,
  the data sheet active;
save_macro.xlsm - a macro-enabled workbook whose vbaProject.bin is a small stand-in blob (only
  its bytes are checked to survive a save).
Run with /usr/bin/python3 from tests/data/."""
import datetime
import os
import sys
import tempfile

import xlsxwriter


def names_chartsheet(path):
    book = xlsxwriter.Workbook(path)
    chart_sheet = book.add_chartsheet("Chart1")
    data = book.add_worksheet("Data")
    other = book.add_worksheet("Other")
    money = book.add_format({"num_format": "#,##0.00"})
    day = book.add_format({"num_format": "yyyy-mm-dd"})
    rows = [("Item", "Amount", "When"), ("Café-42", 1234.5, datetime.date(2024, 2, 29)),
            ("ID00123", -7, datetime.date(1999, 12, 31)), ("  spaced  ", 0.25, None),
            ("a, \"quoted\" one", 1e6, None)]
    for r, row in enumerate(rows):
        for c, value in enumerate(row):
            if value is None:
                continue
            if isinstance(value, datetime.date):
                data.write_datetime(r, c, datetime.datetime.combine(value, datetime.time()), day)
            elif isinstance(value, str):
                data.write_string(r, c, value)
            else:
                data.write_number(r, c, value, money)
    data.write_boolean(5, 0, True)
    data.write_comment(0, 0, "A comment")
    chart = book.add_chart({"type": "column"})
    chart.add_series({"values": "=Data!$B$2:$B$5", "categories": "=Data!$A$2:$A$5"})
    data.insert_chart("E2", chart)
    big = book.add_chart({"type": "line"})
    big.add_series({"values": "=Data!$B$2:$B$5"})
    chart_sheet.set_chart(big)
    other.write_string(0, 0, "hidden text")
    other.hide()
    book.define_name("Total", "=Data!$B$2")
    book.define_name("Data!LocalName", "=Data!$A$1")
    book.define_name("Other!OtherLocal", "=Other!$A$1")
    data.print_area("A1:C5")
    data.activate()
    book.close()


def macro(path):
    with tempfile.TemporaryDirectory() as work:
        blob = os.path.join(work, "vbaProject.bin")
        with open(blob, "wb") as f:
            f.write(bytes(range(256)) * 4)
        book = xlsxwriter.Workbook(path)
        sheet = book.add_worksheet("Macros here")
        sheet.write_string(0, 0, "A1 text")
        sheet.write_number(1, 1, 42)
        book.add_vba_project(blob)
        book.close()


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    names_chartsheet(os.path.join(here, "save_names_chartsheet.xlsx"))
    macro(os.path.join(here, "save_macro.xlsm"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
