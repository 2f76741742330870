"""Makes the legacy (.xls) fixtures with LibreOffice:
  legacy_values.xls             an .xlsx written with openpyxl, converted to the legacy format
  legacy_password.xls           the same saved with the password "secret" (RC4), through UNO
  legacy_default_password.xls   the same saved with the password the spreadsheet application uses
                                for read-only protection, which opens without asking
  legacy/<name>.xls             each LibreOffice-made engine/<name>.xlsx converted to the legacy
                                format, so both kinds of file hold the same cells
Run with /usr/bin/python3 from tests/data/."""
import datetime
import glob
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


def save_with_password(source, targets, profile):
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
        for target, password in targets:
            doc.storeToURL("file://" + target, (prop("FilterName", "MS Excel 97"),
                                                prop("Password", password)))
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
        targets = [(os.path.join(work, "legacy_password.xls"), "secret"),
                   (os.path.join(work, "legacy_default_password.xls"), "VelvetSweatshop")]
        save_with_password(source, targets, profile)
        for target, _ in targets:
            shutil.copy(target, os.path.join(out_dir, os.path.basename(target)))
        engine = sorted(glob.glob(os.path.join(out_dir, "engine", "*.xlsx")))
        os.makedirs(os.path.join(out_dir, "legacy"), exist_ok=True)
        subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless",
                        "--convert-to", "xls", "--outdir", os.path.join(out_dir, "legacy")]
                       + engine, check=True, stdout=subprocess.DEVNULL)
    finally:
        shutil.rmtree(work)
    return 0


if __name__ == "__main__":
    sys.exit(main())
