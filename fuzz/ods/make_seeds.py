"""Writes the seed corpus of ods_fuzz into seeds/: small spreadsheets as "#=part" lists (the
harness packs them into a zip) covering value types, repeated rows and columns, data styles of
every kind with maps, cell styles through parents and column defaults, comments and shapes in
cells, a hidden table and the 1904 null date, plus LibreOffice- and calamine-made files from
tests/data as real zips. Run from this folder: python3 make_seeds.py"""
import os
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))
SEEDS = os.path.join(HERE, "seeds")
DATA = os.path.join(HERE, "..", "..", "tests", "data")
NS = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
      'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
      'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
      'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
      'xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" '
      'xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0" '
      'xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0" '
      'xmlns:loext="urn:org:documentfoundation:names:experimental:office:xmlns:loext:1.0"')

DATA_STYLES = (
    '<number:number-style style:name="N1P0"><number:number number:decimal-places="2" '
    'number:min-decimal-places="1" number:min-integer-digits="1" number:grouping="true"/></number:number-style>'
    '<number:number-style style:name="N1"><number:text>(</number:text><number:number '
    'number:decimal-places="2" number:min-integer-digits="1"/><number:text>)</number:text>'
    '<style:map style:condition="value()&gt;=0" style:apply-style-name="N1P0"/></number:number-style>'
    '<number:percentage-style style:name="N2"><number:number number:decimal-places="1" '
    'number:min-integer-digits="1"/><number:text>%</number:text></number:percentage-style>'
    '<number:currency-style style:name="N3"><number:currency-symbol number:language="en" '
    'number:country="US">$</number:currency-symbol><number:number number:decimal-places="2" '
    'number:min-integer-digits="1" number:grouping="true" number:display-factor="1000"/></number:currency-style>'
    '<number:date-style style:name="N4" number:automatic-order="true"><number:day-of-week '
    'number:style="long"/><number:text>, </number:text><number:month number:textual="true"/>'
    '<number:text> </number:text><number:day/><number:text> </number:text><number:year '
    'number:style="long"/><number:text> </number:text><number:hours/><number:text>:</number:text>'
    '<number:minutes number:style="long"/><number:text>:</number:text><number:seconds '
    'number:style="long" number:decimal-places="2"/><number:am-pm/></number:date-style>'
    '<number:time-style style:name="N5" number:truncate-on-overflow="false"><number:hours/>'
    '<number:text>:</number:text><number:minutes number:style="long"/></number:time-style>'
    '<number:number-style style:name="N6"><number:scientific-number number:decimal-places="2" '
    'number:min-integer-digits="1" number:min-exponent-digits="3"/></number:number-style>'
    '<number:number-style style:name="N7"><number:fraction number:min-integer-digits="0" '
    'number:min-numerator-digits="1" number:min-denominator-digits="2"/></number:number-style>'
    '<number:number-style style:name="N8"><number:number number:decimal-places="0" '
    'number:min-integer-digits="7"><number:embedded-text number:position="4">-</number:embedded-text>'
    '</number:number></number:number-style>'
    '<number:boolean-style style:name="N9"><number:boolean/></number:boolean-style>'
    '<number:text-style style:name="N10"><number:text>&lt;</number:text><number:text-content/>'
    '<number:text>"&gt;</number:text></number:text-style>'
    '<number:date-style style:name="N11"><number:quarter/><number:year/></number:date-style>')
CELL_STYLES = ''.join(
    f'<style:style style:name="ce{i}" style:family="table-cell" style:data-style-name="N{i}"/>'
    for i in range(1, 12)) + (
    '<style:style style:name="ce20" style:family="table-cell" style:parent-style-name="ce3"/>'
    '<style:style style:name="ta2" style:family="table"><style:table-properties '
    'table:display="false"/></style:style>')


def content(tables, styles=DATA_STYLES + CELL_STYLES, null_date=""):
    return (f'<?xml version="1.0"?><office:document-content {NS}><office:automatic-styles>{styles}'
            '</office:automatic-styles><office:body><office:spreadsheet>' + null_date + tables +
            '</office:spreadsheet></office:body></office:document-content>')


def cell(value_type, value, style=None, text="", extra=""):
    attribute = {"float": "value", "percentage": "value", "currency": "value", "date": "date-value",
                 "time": "time-value", "boolean": "boolean-value", "string": "string-value"}[value_type]
    styled = f' table:style-name="{style}"' if style else ""
    return (f'<table:table-cell{styled} office:value-type="{value_type}" office:{attribute}="{value}"'
            f'{extra}><text:p>{text}</text:p></table:table-cell>')


VALUES = (
    '<table:table table:name="Values"><table:table-column table:default-cell-style-name="ce2"/>'
    '<table:table-column table:number-columns-repeated="3" table:default-cell-style-name="ce20"/>'
    '<table:table-row>' + cell("float", "-1234.5", "ce1", "(1234.50)") + cell("float", "0.256", None, "25.6%")
    + cell("currency", "1234567", None, "$1,234.57") + cell("date", "2024-02-29T13:05:09.25", "ce4")
    + cell("time", "PT36H30M00S", "ce5") + cell("float", "12345.678", "ce6") + cell("float", "3.75", "ce7")
    + cell("float", "5551234", "ce8") + cell("float", "1", "ce9") + cell("string", "abc", "ce10")
    + cell("date", "2024-05-01", "ce11", "Q2 24") + '</table:table-row>'
    '<table:table-row table:number-rows-repeated="3"><table:table-cell table:number-columns-repeated="2"/>'
    + cell("float", "7", None, "7", ' table:number-columns-repeated="4"') + '</table:table-row>'
    '<table:table-row><table:table-cell office:value-type="string"><text:p>one<text:s text:c="3"/>two'
    '<text:tab/><text:span>three</text:span></text:p><text:p>line</text:p><office:annotation><text:p>'
    'note</text:p></office:annotation></table:table-cell><table:table-cell table:formula="of:=1/0" '
    'office:value-type="float" office:value="0" calcext:value-type="error"><text:p>#DIV/0!</text:p>'
    '</table:table-cell><table:table-cell table:formula="of:=[.A1]&gt;0" office:value-type="float" '
    'office:value="1"/><table:covered-table-cell office:value-type="boolean" office:boolean-value="false"/>'
    '<table:table-cell><draw:frame><text:p>shape</text:p></draw:frame><text:p>plain</text:p></table:table-cell>'
    '</table:table-row><table:table-row table:number-rows-repeated="1048570"><table:table-cell '
    'table:number-columns-repeated="16384"/></table:table-row></table:table>'
    '<table:table table:name="Hidden" table:style-name="ta2"><table:table-row>'
    + cell("string", "secret") + '</table:table-row></table:table>')


def main():
    os.makedirs(SEEDS, exist_ok=True)
    mime = "#=mimetype\napplication/vnd.oasis.opendocument.spreadsheet\n"
    seeds = {
        "values.parts": mime + "#=content.xml\n" + content(VALUES),
        "null_date_1904.parts": mime + "#=content.xml\n" + content(
            VALUES, null_date='<table:calculation-settings><table:null-date '
            'table:date-value="1904-01-01"/></table:calculation-settings>'),
        "common_styles.parts": mime + "#=styles.xml\n" + (
            f'<?xml version="1.0"?><office:document-styles {NS}><office:styles>{DATA_STYLES}'
            f'{CELL_STYLES}</office:styles></office:document-styles>') + "\n#=content.xml\n" + content(
            VALUES, styles=""),
        "encrypted.parts": mime + "#=META-INF/manifest.xml\n<manifest:manifest xmlns:manifest="
        '"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"><manifest:file-entry '
        'manifest:full-path="content.xml"><manifest:encryption-data/></manifest:file-entry>'
        "</manifest:manifest>\n#=content.xml\n" + content(""),
    }
    for name, text in seeds.items():
        with open(os.path.join(SEEDS, name), "w", encoding="utf-8") as f:
            f.write(text)
    for folder, name in (("ods", "ods_formats.ods"), ("calamine", "date.ods"),
                         ("calamine", "special_cells.ods"), ("calamine", "number_rows_repeated.ods"),
                         ("calamine", "issues.ods")):
        shutil.copy(os.path.join(DATA, folder, name), os.path.join(SEEDS, name))


if __name__ == "__main__":
    main()
