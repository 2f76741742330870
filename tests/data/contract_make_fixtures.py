#!/usr/bin/python3
# Writes the workbooks the server contract suite opens, with XlsxWriter as the producer. The
# suite registers the same content in the fake server by hand (tests/contract/fixtures.cpp);
# change both together.
# Run from this folder: /usr/bin/python3 contract_make_fixtures.py
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
