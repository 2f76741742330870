#!/usr/bin/python3
# Writes the workbooks the extraction end-to-end tests read, with XlsxWriter as the producer
# (formula results cached, number formats set), so the engine reads a file it did not write.
# Run from this folder: /usr/bin/python3 extract_make_fixtures.py
import datetime

import xlsxwriter


def cells_and_charts():
    # A chart sheet first, then two worksheets whose B2 overlap.
    book = xlsxwriter.Workbook("extract_cells_and_charts.xlsx")
    chart_sheet = book.add_chartsheet("Chart1")
    data = book.add_worksheet("Data")
    more = book.add_worksheet("More")

    data.write_string("A1", "Order #A-17, 3 pcs.")
    data.write_number("B2", 1234.5, book.add_format({"num_format": "#,##0.00"}))
    data.write_string("C5", "ID00123")
    data.write_formula("D6", "=2+3", None, 5)
    data.write_number("E9", 0.25, book.add_format({"num_format": "0%"}))
    data.write_number("F3", 42, book.add_format({"num_format": ";;;"}))  # shows nothing
    data.write_datetime("A10", datetime.datetime(2015, 2, 19),
                        book.add_format({"num_format": "yyyy-mm-dd"}))

    more.write_string("B2", "second")
    more.write_string("H1", "Caf\u00e9")

    chart = book.add_chart({"type": "column"})
    chart.add_series({"values": "=Data!$B$2:$B$2"})
    chart_sheet.set_chart(chart)
    book.close()


def used_range_from_c5():
    book = xlsxwriter.Workbook("extract_used_range_from_c5.xlsx")
    sheet = book.add_worksheet("Only")
    sheet.write_string("C5", "ABCDEF")
    sheet.write_string("E9", "xyz")
    book.close()


def far_corners():
    # Text in A1 and in the grid's last cell: a used range of 17 billion positions.
    book = xlsxwriter.Workbook("extract_far_corners.xlsx")
    sheet = book.add_worksheet("Corners")
    sheet.write_string(0, 0, "top-7")
    sheet.write_string(1048575, 16383, "bottom-9")
    book.close()


cells_and_charts()
used_range_from_c5()
far_corners()
