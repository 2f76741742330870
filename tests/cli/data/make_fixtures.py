#!/usr/bin/python3
# Writes the workbook the command-line tests list with "text", with XlsxWriter as the producer.
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


if __name__ == "__main__":
    text_escapes()
