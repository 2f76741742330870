"""Makes the fixture written by openpyxl, a producer that stores formulas without calculating
them: every formula cell has an empty <v>, so the file holds no result for it.
uncalculated_formulas.xlsx - sheet "Prices" with 4 values and 8 formulas, sheet "Totals" with
  1 value and 4 formulas: 12 formula cells in all, none with a stored result.
Run with /usr/bin/python3 from tests/data/."""
import openpyxl


def uncalculated_formulas(path):
    book = openpyxl.Workbook()
    prices = book.active
    prices.title = "Prices"
    for row, (item, price) in enumerate([("Tea", 3.5), ("Cake", 4.25)], start=1):
        prices.cell(row, 1, item)
        prices.cell(row, 2, price)
        prices.cell(row, 3, f"=B{row}*2")
        prices.cell(row, 4, f"=B{row}*1.2")
        prices.cell(row, 5, f'=A{row}&"-"&B{row}')
        prices.cell(row, 6, f"=LEN(A{row})")
    totals = book.create_sheet("Totals")
    totals["A1"] = "Sum"
    totals["B1"] = "=SUM(Prices!B1:B2)"
    totals["B2"] = "=AVERAGE(Prices!B1:B2)"
    totals["B3"] = "=MAX(Prices!C1:C2)"
    totals["B4"] = '=IF(B1>5,"many","few")'
    book.save(path)


if __name__ == "__main__":
    uncalculated_formulas("uncalculated_formulas.xlsx")
