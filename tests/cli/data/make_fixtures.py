#!/usr/bin/python3
# Writes the workbooks of the command-line tests, with XlsxWriter as the producer.
# Run from this folder: /usr/bin/python3 make_fixtures.py
import xlsxwriter


def text_escapes():
    # Cells whose texts hold the four escaped characters, a formatted number, an empty string
    # (listed by nobody) and a second sheet, so the listing's order shows too.
    book = xlsxwriter.Workbook("text_escapes.xlsx")
    first = book.add_worksheet("Escapes")
    first.write_string("A1", "C:\\path\\file")
    first.write_string("B1", "a\tb")
    first.write_string("A2", "line 1\nline 2")
    first.write_string("B2", "cr\rlf\r\n")
    first.write_number("C2", 1234.5, book.add_format({"num_format": "#,##0.00"}))
    first.write_string("D3", "")
    first.write_string("AA10", "far")
    second = book.add_worksheet("Second sheet")
    second.write_string("B1", "\\t is not a tab")
    book.close()


def recipe_sheets():
    # Three worksheets with text at the same addresses (B2, C3), the last named with the 31
    # characters a sheet name may have; texts for the marker, between, pattern and character
    # options, and one on which a nested-repeat pattern backtracks without end.
    book = xlsxwriter.Workbook("recipe_sheets.xlsx")
    orders = book.add_worksheet("Orders")
    orders.write_string("B2", "Order [A-17] shipped 2024-03-05 to STRA\u1e9eE 5")
    orders.write_string("C3", "Little red Riding Hood's red hood")
    orders.write_string("D4", "\U0001F44D\U0001F3FD\U0001F1E9\U0001F1EAe\u0301 tail")
    phones = book.add_worksheet("Phones")
    phones.write_string("B2", "Phone [555-0100] of \u00c4rger, \u00e4rger")
    phones.write_string("C3", "call 2023-12-31")
    region = book.add_worksheet("Quarterly revenue by region 245")
    region.write_string("B2", "Region [North] 2022-01-15")
    region.write_string("E5", "a" * 40 + "!")
    book.close()


if __name__ == "__main__":
    text_escapes()
    recipe_sheets()
