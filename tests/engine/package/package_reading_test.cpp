// One reading of every package: elements count only in their own place and namespace, a name
// or id given twice is damage named in the refusal, and a package's parts are found as part
// names compare (without regard to case).
#include <gtest/gtest.h>

#include "engine/model/workbook.h"
#include "engine/package/xlsx_reader.h"
#include "platform/text.h"
#include "support/raw_zip.h"
#include "test_package.h"

namespace brintova::engine::package {
namespace {

using testfiles::MakeRawZip;
using testfiles::RawZipEntry;
using testing::Entries;
using testing::MakeZip;
using testing::MinimalWorkbook;

const std::string kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const std::string kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const std::string kPackageRel = "http://schemas.openxmlformats.org/package/2006/relationships";

ReadResult Read(const std::string& bytes) { return ReadXlsxBuffer(bytes.data(), bytes.size()); }

std::string TextAt(const ReadResult& result, std::size_t sheet, int row, int column) {
  std::u16string out;
  const model::Sheet& s = result.workbook->sheet(sheet);
  model::DisplayedText(*result.workbook, s, s.Find(row, column), out);
  return ToUtf8(out);
}

std::string& Part(Entries& entries, const std::string& name) {
  for (auto& [entry, data] : entries) {
    if (entry == name) return data;
  }
  throw std::runtime_error("no part " + name);
}

// A workbook part listing `sheets` (the <sheet> elements) and anything else after them.
std::string WorkbookXml(const std::string& sheets, const std::string& after = "") {
  return "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" + kRel + "\"><sheets>" + sheets +
         "</sheets>" + after + "</workbook>";
}

TEST(PackageReading, ElementsCountOnlyInTheirOwnPlace) {
  // A sheet listed in an extension list, cells and rows in one, a value in another namespace,
  // a cell format in the cellXfs extension list and a number format among the differential
  // styles: none of them is the workbook's.
  Entries entries = MinimalWorkbook(
      "", "<styleSheet xmlns=\"" + kMain + "\">" +
              R"(<numFmts count="1"><numFmt numFmtId="164" formatCode="0.00"/></numFmts>)"
              R"(<cellXfs count="2"><xf numFmtId="0"/><xf numFmtId="164"/>)"
              R"(<extLst><ext><xf numFmtId="10"/></ext></extLst></cellXfs>)"
              R"(<dxfs count="1"><dxf><numFmt numFmtId="164" formatCode="0.0000"/></dxf></dxfs>)"
              "</styleSheet>");
  Part(entries, "xl/workbook.xml") = WorkbookXml(
      R"(<sheet name="Data" sheetId="1" r:id="rId1"/>)",
      "<extLst><ext uri=\"y\"><x:sheets xmlns:x=\"" + kMain +
          R"("><x:sheet name="Ghost" sheetId="9" r:id="rId1"/></x:sheets></ext></extLst>)");
  Part(entries, "xl/worksheets/sheet1.xml") =
      "<worksheet xmlns=\"" + kMain + "\"><sheetData>" +
      R"(<row r="1"><c r="A1" s="1"><v>1.5</v><x:v xmlns:x="urn:other">99</x:v></c>)" +
      // A namespace whose name begins with the sheet's own and a colon is still another one.
      "<c r=\"B1\"><y:v xmlns:y=\"" + kMain + ":ext\">42</y:v></c></row>" +
      "</sheetData><extLst><ext uri=\"x\"><sheetData><row r=\"2\"><c r=\"A2\"><v>7</v></c>"
      "</row></sheetData></ext></extLst></worksheet>";
  const ReadResult result = Read(MakeZip(entries));
  ASSERT_TRUE(result.ok()) << result.error.description;
  ASSERT_EQ(result.workbook->SheetCount(), 1u);
  EXPECT_EQ(result.workbook->sheet(0).name(), u"Data");
  EXPECT_EQ(TextAt(result, 0, 1, 1), "1.50");  // style 1 is 0.00: not the dxf's, not shifted
  EXPECT_EQ(result.workbook->sheet(0).Find(2, 1), nullptr);
  EXPECT_EQ(result.workbook->sheet(0).Find(1, 2), nullptr);
  EXPECT_EQ(result.workbook->styles().StyleCount(), 2u);
}

TEST(PackageReading, ValuesAsTheApplicationReadsThem) {
  const ReadResult result = Read(MakeZip(MinimalWorkbook(
      R"(<row r="1"><c r="A1" t="b"><v>2</v></c><c r="B1" t="b"><v>-1</v></c>)"
      R"(<c r="C1" t="b"><v>0</v></c><c r="D1" t="b"><v>0.0</v></c><c r="E1" t="b"><v>true</v></c>)"
      R"(</row>)")));
  ASSERT_TRUE(result.ok()) << result.error.description;
  EXPECT_EQ(TextAt(result, 0, 1, 1), "TRUE");  // any number but zero
  EXPECT_EQ(TextAt(result, 0, 1, 2), "TRUE");
  EXPECT_EQ(TextAt(result, 0, 1, 3), "FALSE");
  EXPECT_EQ(TextAt(result, 0, 1, 4), "FALSE");
  EXPECT_EQ(TextAt(result, 0, 1, 5), "TRUE");
}

struct DamageCase {
  const char* name;
  std::string bytes;
  const char* expected;
};

std::vector<DamageCase> DamageCases() {
  std::vector<DamageCase> cases;
  cases.push_back({"TwoValuesInACell",
                   MakeZip(MinimalWorkbook(R"(<row r="1"><c r="B1"><v>1</v><v>2</v></c></row>)")),
                   "cell B1 holds two values"});
  cases.push_back(
      {"RowNumberPast64Bits",
       MakeZip(MinimalWorkbook(R"(<row r="99999999999999999999"><c><v>1</v></c></row>)")),
       "row 99999999999999999999 lies past the last row of the grid"});
  {
    Entries entries = MinimalWorkbook("");
    Part(entries, "xl/workbook.xml") = WorkbookXml(
        R"(<sheet name="One" sheetId="1" r:id="rId1"/><sheet name="Two" sheetId="2" r:id="rId1"/>)");
    cases.push_back({"TwoSheetsShareARelationship", MakeZip(entries),
                     "sheets \"One\" and \"Two\" both refer to relationship \"rId1\""});
  }
  {
    Entries entries = MinimalWorkbook("");
    Part(entries, "xl/workbook.xml") = WorkbookXml(
        R"(<sheet name="Data" sheetId="1" r:id="rId1"/><sheet name="DATA" sheetId="2" r:id="rId2"/>)");
    cases.push_back(
        {"TwoSheetsShareAName", MakeZip(entries), "two sheets named \"Data\" and \"DATA\""});
  }
  {
    Entries entries = MinimalWorkbook("");
    Part(entries, "xl/_rels/workbook.xml.rels") =
        "<Relationships xmlns=\"" + kPackageRel + "\"><Relationship Id=\"rId1\" Type=\"" + kRel +
        "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId1\" Type=\"" + kRel +
        "/styles\" Target=\"styles.xml\"/></Relationships>";
    cases.push_back({"TwoRelationshipsShareAnId", MakeZip(entries),
                     "xl/_rels/workbook.xml.rels (line 1): it gives two relationships the id "
                     "\"rId1\""});
  }
  {
    Entries entries = MinimalWorkbook("");
    std::vector<RawZipEntry> raw;
    for (const auto& [name, data] : entries) raw.emplace_back(name, data);
    raw.emplace_back("xl/worksheets/sheet1.xml", "<worksheet/>");
    cases.push_back(
        {"TwoEntriesShareAName", MakeRawZip(raw), "two parts named xl/worksheets/sheet1.xml"});
    raw.back().name = "xl/Worksheets/Sheet1.xml";
    cases.push_back({"TwoEntriesDifferOnlyInCase", MakeRawZip(raw),
                     "xl/worksheets/sheet1.xml and xl/Worksheets/Sheet1.xml, which differ only "
                     "in case"});
    raw.back() = {"docProps/app.xml", "<Properties/>"};
    raw.back().marked_encrypted = true;
    cases.push_back(
        {"EncryptedPart", MakeRawZip(raw), "part docProps/app.xml is locked with a zip password"});
  }
  {
    Entries entries = MinimalWorkbook("");
    Part(entries, "xl/_rels/workbook.xml.rels") =
        "<Relationships xmlns=\"" + kPackageRel + "\"><Relationship Id=\"rId1\" Type=\"" + kRel +
        "/worksheet\" Target=\"file:///tmp/elsewhere.xml\" TargetMode=\"External\"/>"
        "</Relationships>";
    cases.push_back({"SheetOutsideThePackage", MakeZip(entries),
                     "sheet \"Data\" is not in the package but refers to "
                     "\"file:///tmp/elsewhere.xml\" outside it"});
    Part(entries, "_rels/.rels") =
        "<Relationships xmlns=\"" + kPackageRel + "\"><Relationship Id=\"rId1\" Type=\"" + kRel +
        "/officeDocument\" Target=\"http://example.com/book.xml\" TargetMode=\"External\"/>"
        "</Relationships>";
    cases.push_back({"WorkbookOutsideThePackage", MakeZip(entries),
                     "its main part is not in the package but refers to "
                     "\"http://example.com/book.xml\""});
  }
  return cases;
}

class PackageDamage : public ::testing::TestWithParam<DamageCase> {};

TEST_P(PackageDamage, IsRefusedNamingWhatIsDamaged) {
  const ReadResult result = Read(GetParam().bytes);
  ASSERT_FALSE(result.ok());
  EXPECT_NE(result.error.description.find(GetParam().expected), std::string::npos)
      << result.error.description;
}

INSTANTIATE_TEST_SUITE_P(Hostile, PackageDamage, ::testing::ValuesIn(DamageCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PackageReading, FindsPartsWhatEverTheirCase) {
  // Relationships may name a part in another case than its zip entry: the same part.
  Entries entries =
      MinimalWorkbook(R"(<row r="1"><c r="A1" t="inlineStr"><is><t>found</t></is></c></row>)");
  Part(entries, "xl/_rels/workbook.xml.rels") =
      "<Relationships xmlns=\"" + kPackageRel + "\"><Relationship Id=\"rId1\" Type=\"" + kRel +
      "/worksheet\" Target=\"/XL/Worksheets/SHEET1.xml\"/></Relationships>";
  const ReadResult result = Read(MakeZip(entries));
  ASSERT_TRUE(result.ok()) << result.error.description;
  EXPECT_EQ(TextAt(result, 0, 1, 1), "found");
}

}  // namespace
}  // namespace brintova::engine::package
