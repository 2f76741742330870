"""Writes the seed corpus of xlsx_fuzz into seeds/: small workbooks as "#=part" lists (the
harness packs them into a zip) covering each cell type, styles, shared and rich strings, both
date systems, hidden and chart sheets and defined names, plus two LibreOffice-made packages
from tests/data as real zips. Run from this folder: python3 make_seeds.py"""
import os
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))
SEEDS = os.path.join(HERE, "seeds")
DATA = os.path.join(HERE, "..", "..", "tests", "data", "engine")
MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG = "http://schemas.openxmlformats.org/package/2006/relationships"

TYPES = ('<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/'
         'content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-'
         'package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/>'
         '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-'
         'officedocument.spreadsheetml.sheet.main+xml"/></Types>')
ROOT_RELS = (f'<Relationships xmlns="{PKG}"><Relationship Id="rId1" Type="{REL}/officeDocument"'
             ' Target="xl/workbook.xml"/></Relationships>')
STYLES = (f'<styleSheet xmlns="{MAIN}"><numFmts count="2"><numFmt numFmtId="164" '
          'formatCode="0.000"/><numFmt numFmtId="165" formatCode="[Red]#,##0;(#,##0);&quot;zero&quot;;@"/>'
          '</numFmts><cellXfs count="5"><xf numFmtId="0"/><xf numFmtId="164"/><xf numFmtId="14"/>'
          '<xf numFmtId="49"/><xf numFmtId="165"/></cellXfs></styleSheet>')
SHARED = (f'<sst xmlns="{MAIN}" count="3" uniqueCount="3"><si><t>plain</t></si>'
          '<si><r><rPr><b/></rPr><t>rich </t></r><r><t xml:space="preserve">runs </t></r></si>'
          '<si><t>ID00123</t></si></sst>')


def sheet(data, extra=""):
    return (f'<worksheet xmlns="{MAIN}"><dimension ref="A1:D3"/><sheetData>{data}</sheetData>'
            f'{extra}</worksheet>')


def book(sheets, date1904=False, names="", styles=True, shared=True):
    """sheets: list of (name, kind, state, part text or None)."""
    parts = [("[Content_Types].xml", TYPES), ("_rels/.rels", ROOT_RELS)]
    rels, entries = [], []
    for i, (name, kind, state, text) in enumerate(sheets, 1):
        folder = "worksheets" if kind == "worksheet" else "chartsheets"
        rels.append(f'<Relationship Id="rId{i}" Type="{REL}/{kind}" '
                    f'Target="{folder}/sheet{i}.xml"/>')
        state_attr = f' state="{state}"' if state else ""
        entries.append(f'<sheet name="{name}" sheetId="{i}"{state_attr} r:id="rId{i}"/>')
        parts.append((f"xl/{folder}/sheet{i}.xml", text))
    if styles:
        rels.append(f'<Relationship Id="rIdS" Type="{REL}/styles" Target="styles.xml"/>')
        parts.append(("xl/styles.xml", STYLES))
    if shared:
        rels.append(f'<Relationship Id="rIdT" Type="{REL}/sharedStrings" '
                    'Target="sharedStrings.xml"/>')
        parts.append(("xl/sharedStrings.xml", SHARED))
    pr = '<workbookPr date1904="1"/>' if date1904 else ""
    parts.append(("xl/_rels/workbook.xml.rels",
                  f'<Relationships xmlns="{PKG}">{"".join(rels)}</Relationships>'))
    parts.append(("xl/workbook.xml",
                  f'<workbook xmlns="{MAIN}" xmlns:r="{REL}">{pr}<sheets>{"".join(entries)}'
                  f'</sheets>{names}</workbook>'))
    return "".join(f"#={name}\n{text}\n" for name, text in parts)


CELLS = ('<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c>'
         '<c r="C1" s="1"><v>1.5</v></c><c r="D1" s="2"><v>45351.75</v></c></row>'
         '<row r="2"><c r="A2" t="inlineStr"><is><t>inline</t></is></c><c r="B2" t="b"><v>1</v></c>'
         '<c r="C2" t="e"><v>#DIV/0!</v></c><c r="D2" t="str"><f>A1&amp;B1</f><v>plainrich</v></c>'
         '</row><row r="3"><c r="A3" t="d"><v>2024-02-29T18:00:00</v></c><c r="B3" s="3">'
         '<v>00123</v></c><c r="C3" s="4"><v>-1234</v></c><c r="D3"><f>C3*2</f><v>-2468</v></c>'
         '</row>')

SEED_TEXT = {
    "cell_types": book([("Data", "worksheet", None, sheet(CELLS))]),
    "dates_1904": book([("Dates", "worksheet", None, sheet(
        '<row r="1"><c r="A1" s="2"><v>0</v></c><c r="B1" s="2"><v>1462</v></c></row>'))],
        date1904=True),
    "sheet_kinds": book([
        ("Visible", "worksheet", None, sheet('<row r="5"><c r="C5"><v>7</v></c></row>')),
        ("Hidden", "worksheet", "hidden", sheet('<row><c><v>1</v></c><c><v>2</v></c></row>')),
        ("Chart1", "chartsheet", None, f'<chartsheet xmlns="{MAIN}"/>'),
        ("Deep", "worksheet", "veryHidden", sheet('<row r="1048576"><c r="XFD1048576"><v>9</v>'
                                                  '</c></row>'))],
        names='<definedNames><definedName name="Area" localSheetId="1">Hidden!$A$1</definedName>'
              '</definedNames>'),
    "bare": book([("Sheet1", "worksheet", None, sheet('<row r="1"><c r="A1"><v>1E-07</v></c>'
                                                      '<c r="B1"><v>123456789012</v></c></row>'))],
                 styles=False, shared=False),
}


def main():
    os.makedirs(SEEDS, exist_ok=True)
    for name, text in SEED_TEXT.items():
        with open(os.path.join(SEEDS, name + ".parts"), "w", encoding="utf-8") as f:
            f.write(text)
    for fixture in ("number_formats.xlsx", "rich_text_strings.xlsx"):
        shutil.copyfile(os.path.join(DATA, fixture), os.path.join(SEEDS, fixture))


if __name__ == "__main__":
    main()
