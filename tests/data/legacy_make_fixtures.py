"""Makes the legacy (.xls) fixtures: an .xlsx is written with openpyxl, then LibreOffice
converts it to the legacy binary format (legacy_values.xls), and saves it once more with a
password through UNO (legacy_password.xls). Run with /usr/bin/python3 from tests/data/."""
import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import time

import openpyxl


def build(path):
    book = openpyxl.Workbook()
    first = book.active
    first.title = "Values"
    rows = [
        ["text", "int", "double", "bool", "date", "datetime", "time"],
        ["Café-42", 123, 0.5, True, datetime.date(2024, 2, 29),
         datetime.datetime(2023, 12, 31, 13, 45, 30), datetime.time(7, 5, 9)],
        ["ID00123", -7, 1234.5678, False, datetime.date(1999, 1, 1),
         datetime.datetime(2000, 1, 1, 0, 0, 0), datetime.time(23, 59, 59)],
    ]
    for row in rows:
        first.append(row)
    first["B2"].number_format = "0.00"
    first["E2"].number_format = "yyyy-mm-dd"
    first["H1"] = "=B2*2"
    first["J5"] = "last"
    hidden = book.create_sheet("Hidden one")
    hidden["A1"] = "hidden text"
    hidden.sheet_state = "hidden"
    third = book.create_sheet("Données ünï")
    third["B3"] = "x"
    book.create_sheet("Empty")
    book.save(path)


def save_with_password(source, target, profile):
    import uno
    from com.sun.star.beans import PropertyValue

    def prop(name, value):
        p = PropertyValue()
        p.Name, p.Value = name, value
        return p

    office = subprocess.Popen(["soffice", "-env:UserInstallation=" + profile, "--headless",
                               "--invisible", "--accept=pipe,name=brintovafixtures;urp;"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        for _ in range(100):
            try:
                context = resolver.resolve(
                    "uno:pipe,name=brintovafixtures;urp;StarOffice.ComponentContext")
                break
            except Exception:
                time.sleep(0.2)
        desktop = context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop",
                                                                   context)
        doc = desktop.loadComponentFromURL("file://" + source, "_blank", 0,
                                           (prop("Hidden", True),))
        doc.storeToURL("file://" + target, (prop("FilterName", "MS Excel 97"),
                                            prop("Password", "secret")))
        doc.close(True)
        try:
            desktop.terminate()
        except Exception:
            pass
    finally:
        office.wait(timeout=30)


def main():
    out_dir = os.path.dirname(os.path.abspath(__file__))
    work = tempfile.mkdtemp()
    try:
        source = os.path.join(work, "legacy_values.xlsx")
        build(source)
        profile = "file://" + os.path.join(work, "profile")
        subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless",
                        "--convert-to", "xls", "--outdir", work, source], check=True,
                       stdout=subprocess.DEVNULL)
        shutil.copy(os.path.join(work, "legacy_values.xls"), os.path.join(out_dir, "legacy_values.xls"))
        locked = os.path.join(work, "legacy_password.xls")
        save_with_password(source, locked, profile)
        shutil.copy(locked, os.path.join(out_dir, "legacy_password.xls"))
    finally:
        shutil.rmtree(work)
    return 0


if __name__ == "__main__":
    sys.exit(main())
