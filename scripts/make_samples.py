#!/usr/bin/python3
"""Makes the sample workbooks in Samples/: order codes, phone numbers, product IDs with leading
zeros, mixed-script text, dates, percentages and currency with number formats, several
worksheets, a chart sheet, a legacy .xls and a template. Run with /usr/bin/python3 (xlsxwriter
and openpyxl); the .xls comes from LibreOffice (soffice --headless --convert-to xls)."""

import datetime
import os
import shutil
import subprocess
import sys
import tempfile

import openpyxl
import xlsxwriter
from openpyxl.styles import Font

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = os.path.join(os.path.dirname(HERE), "Samples")


def orders(path):
    wb = xlsxwriter.Workbook(path)
    bold = wb.add_format({"bold": True})
    date = wb.add_format({"num_format": "yyyy-mm-dd"})
    money = wb.add_format({"num_format": "$#,##0.00"})
    pct = wb.add_format({"num_format": "0.0%"})

    ws = wb.add_worksheet("Orders")
    ws.write_row(0, 0, ["Order code", "Customer phone", "Ordered", "Amount", "Discount", "Note"],
                 bold)
    rows = [
        ("ORD-2024-00017A", "+1 (555) 010-4477", datetime.date(2024, 1, 9), 1249.5, 0.05,
         "Ship to dock 3; ref=AX-77"),
        ("ORD-2024-00018B", "+44 20 7946 0958", datetime.date(2024, 2, 29), 89.99, 0.0,
         "Call before 10:30"),
        ("ORD-2024-00231C", "(03) 9123 4567", datetime.date(2024, 7, 14), 15000, 0.125,
         "Invoice #INV-0042 / PO 7731"),
        ("ord-2025-01002d", "555.867.5309 ext. 12", datetime.date(2025, 3, 1), 0.5, 1,
         "free sample"),
        ("ORD-2025-99999Z", "+49 (0)30 901820", datetime.date(2025, 12, 31), -42.1, 0.333,
         "Refund: damaged (2 of 7)"),
    ]
    for r, (code, phone, when, amount, discount, note) in enumerate(rows, start=1):
        ws.write_string(r, 0, code)
        ws.write_string(r, 1, phone)
        ws.write_datetime(r, 2, datetime.datetime.combine(when, datetime.time()), date)
        ws.write_number(r, 3, amount, money)
        ws.write_number(r, 4, discount, pct)
        ws.write_string(r, 5, note)
    ws.write_formula(len(rows) + 1, 3, f"=SUM(D2:D{len(rows) + 1})", money)
    ws.set_column(0, 1, 22)
    ws.set_column(5, 5, 30)

    ws = wb.add_worksheet("Customers")
    ws.write_row(0, 0, ["Customer ID", "Name", "Mobile", "Since"], bold)
    customers = [
        ("C-000123", "Ada Lovelace", "07700 900123", datetime.date(2019, 5, 2)),
        ("C-004560", "José Ñúñez", "+34 612 34 56 78", datetime.date(2021, 11, 30)),
        ("C-078901", "Zoë O'Brien-Smith", "+353 87 123 4567", datetime.date(2023, 8, 8)),
    ]
    for r, (cid, name, phone, since) in enumerate(customers, start=1):
        ws.write_string(r, 0, cid)
        ws.write_string(r, 1, name)
        ws.write_string(r, 2, phone)
        ws.write_datetime(r, 3, datetime.datetime.combine(since, datetime.time()),
                          wb.add_format({"num_format": "d mmmm yyyy"}))
    wb.close()


def products(path):
    wb = xlsxwriter.Workbook(path)
    bold = wb.add_format({"bold": True})
    zeros = wb.add_format({"num_format": "000000"})
    money = wb.add_format({"num_format": "#,##0.00 [$€-407]"})
    pct = wb.add_format({"num_format": "0%"})

    ws = wb.add_worksheet("Products")
    ws.write_row(0, 0, ["Product ID (number)", "Product ID (text)", "SKU", "Description",
                        "Price", "Margin"], bold)
    items = [
        (451, "000451", "SKU-AB-0001", "Widget, small (blue)", 3.5, 0.42),
        (7, "000007", "SKU-AB-0002", "Widget, large — red", 12.75, 0.38),
        (12034, "012034", "SKU-ZX-1200", "Gadget 2000™ with 3 ports", 149.0, 0.25),
        (99, "000099", "SKU-ZX-0099", "Spare part #99 / rev. B", 0.99, 0.6),
        (100200, "100200", "SKU-QQ-7777", "Bundle: 4× widget + 1× gadget", 199.99, 0.3),
    ]
    for r, (num, text, sku, desc, price, margin) in enumerate(items, start=1):
        ws.write_number(r, 0, num, zeros)
        ws.write_string(r, 1, text)
        ws.write_string(r, 2, sku)
        ws.write_string(r, 3, desc)
        ws.write_number(r, 4, price, money)
        ws.write_number(r, 5, margin, pct)
    ws.set_column(0, 3, 24)

    chart = wb.add_chart({"type": "column"})
    chart.add_series({"name": "Price", "categories": "=Products!$C$2:$C$6",
                      "values": "=Products!$E$2:$E$6"})
    chart.set_title({"name": "Price by SKU"})
    sheet = wb.add_chartsheet("Price Chart")
    sheet.set_chart(chart)

    ws = wb.add_worksheet("Stock")
    ws.write_row(0, 0, ["Bin", "Product ID", "Count", "Counted"], bold)
    for r, (bin_code, pid, count) in enumerate([("A-01-03", "000451", 120), ("B-12-01", "000007", 4),
                                                ("C-00-00", "012034", 0)], start=1):
        ws.write_string(r, 0, bin_code)
        ws.write_string(r, 1, pid)
        ws.write_number(r, 2, count)
        ws.write_datetime(r, 3, datetime.datetime(2024, 6, 30, 17, 45),
                          wb.add_format({"num_format": "dd/mm/yyyy hh:mm"}))
    wb.close()


def international(path):
    wb = xlsxwriter.Workbook(path)
    bold = wb.add_format({"bold": True})
    ws = wb.add_worksheet("Mixed text")
    ws.write_row(0, 0, ["Text", "Language"], bold)
    texts = [
        ("Grüße aus Köln, Straße 12b", "German"),
        ("北京市朝阳区 100020 电话 010-6532-1234", "Chinese"),
        ("Αθήνα 105 57, τηλ. 210 3214 567", "Greek"),
        ("Москва, ул. Тверская 7, кв. 15", "Russian"),
        ("مرحبا 123 عالم", "Arabic"),
        ("Café №5 — crème brûlée £4.50", "French/English"),
        ("😀 emoji 42 and ✓ ticks", "Symbols"),
        ("tab\there and line\nbreak", "Control characters"),
        ("name=Jane; id=0042; city=Oslo", "Key/value"),
    ]
    for r, (text, lang) in enumerate(texts, start=1):
        ws.write_string(r, 0, text)
        ws.write_string(r, 1, lang)
    ws.set_column(0, 0, 45)

    ws = wb.add_worksheet("Addresses")
    ws.write_row(0, 0, ["Address", "Postcode", "Country code"], bold)
    for r, row in enumerate([("10 Downing St, London", "SW1A 2AA", "GB"),
                             ("1600 Pennsylvania Ave NW", "20500", "US"),
                             ("Rue de Rivoli 99, Paris", "75001", "FR"),
                             ("Bahnhofstrasse 1, Zürich", "8001", "CH")], start=1):
        ws.write_row(r, 0, row)
    # A sheet whose data starts away from A1.
    ws = wb.add_worksheet("Offset data")
    ws.write_string(4, 2, "Starts at C5")
    ws.write_number(5, 3, 0.0725, wb.add_format({"num_format": "0.00%"}))
    ws.write_number(6, 4, 1234567.891, wb.add_format({"num_format": "#,##0.000"}))
    wb.close()


def legacy_source(path):
    wb = xlsxwriter.Workbook(path)
    bold = wb.add_format({"bold": True})
    ws = wb.add_worksheet("Inventory")
    ws.write_row(0, 0, ["Item code", "Serial", "Received", "Unit cost", "Tax"], bold)
    rows = [("INV-0001-X", "SN00012345", datetime.date(2003, 4, 1), 12.5, 0.2),
            ("INV-0002-Y", "SN00067890", datetime.date(2004, 12, 24), 7.25, 0.075),
            ("INV-0003-Z", "0000000001", datetime.date(2006, 9, 9), 1999.0, 0.0)]
    date = wb.add_format({"num_format": "mm/dd/yyyy"})
    money = wb.add_format({"num_format": "$#,##0.00"})
    pct = wb.add_format({"num_format": "0.0%"})
    for r, (code, serial, when, cost, tax) in enumerate(rows, start=1):
        ws.write_string(r, 0, code)
        ws.write_string(r, 1, serial)
        ws.write_datetime(r, 2, datetime.datetime.combine(when, datetime.time()), date)
        ws.write_number(r, 3, cost, money)
        ws.write_number(r, 4, tax, pct)
    ws = wb.add_worksheet("Contacts")
    ws.write_row(0, 0, ["Supplier", "Phone", "Fax"], bold)
    ws.write_row(1, 0, ["Acme Ltd.", "+1-800-555-0199", "+1-800-555-0198"])
    ws.write_row(2, 0, ["Müller GmbH", "+49 89 1234-0", "+49 89 1234-99"])
    wb.close()


def template(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Invoice"
    ws["A1"] = "INVOICE"
    ws["A1"].font = Font(bold=True, size=16)
    ws["A3"], ws["B3"] = "Invoice no.", "INV-000123"
    ws["A4"], ws["B4"] = "Date", datetime.date(2025, 1, 15)
    ws["B4"].number_format = "dd mmm yyyy"
    ws["A5"], ws["B5"] = "Customer", "C-004560 José Ñúñez, +34 612 34 56 78"
    ws.append([])
    ws.append(["Product ID", "Description", "Qty", "Unit price", "VAT"])
    for pid, desc, qty, price, vat in [("000451", "Widget, small (blue)", 10, 3.5, 0.21),
                                       ("012034", "Gadget 2000™", 1, 149.0, 0.21)]:
        ws.append([pid, desc, qty, price, vat])
        ws.cell(ws.max_row, 4).number_format = '"€"#,##0.00'
        ws.cell(ws.max_row, 5).number_format = "0%"
    terms = wb.create_sheet("Terms")
    terms["A1"] = "Payment within 30 days; IBAN DE89 3704 0044 0532 0130 00"
    wb.template = True
    wb.save(path)


def main():
    os.makedirs(SAMPLES, exist_ok=True)
    orders(os.path.join(SAMPLES, "Orders and Phones.xlsx"))
    products(os.path.join(SAMPLES, "Product IDs with Chart.xlsx"))
    international(os.path.join(SAMPLES, "International Text.xlsx"))
    template(os.path.join(SAMPLES, "Invoice Template.xltx"))
    with tempfile.TemporaryDirectory() as work:
        source = os.path.join(work, "Legacy Inventory.xlsx")
        legacy_source(source)
        subprocess.run(["soffice", "--headless", f"-env:UserInstallation=file://{work}/profile",
                        "--convert-to", "xls", "--outdir", work, source],
                       check=True, stdout=subprocess.DEVNULL)
        shutil.copy(os.path.join(work, "Legacy Inventory.xls"), SAMPLES)
    return 0


if __name__ == "__main__":
    sys.exit(main())
