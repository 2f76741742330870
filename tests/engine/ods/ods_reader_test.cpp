// The OpenDocument reader over content built in memory: repeats, value types, styles found
// through parents and column defaults, the text of cells, and damaged or hostile packages.
#include "engine/ods/ods_reader.h"

#include <gtest/gtest.h>

#include "engine/model/workbook.h"
#include "engine/ods/ods_content.h"
#include "platform/text.h"
#include "test_package.h"

namespace brintova::engine::ods {
namespace {

constexpr const char* kNamespaces =
    R"( xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
    R"( xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0")"
    R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0")"
    R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
    R"( xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0")"
    R"( xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0")"
    R"( xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0")";

// A package whose content.xml has `automatic` styles and `tables` in its spreadsheet body.
testing::Entries Package(const std::string& tables, const std::string& automatic = "",
                         const std::string& common = "") {
  const std::string head = std::string("<?xml version=\"1.0\"?>");
  testing::Entries entries = {
      {"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
      {"content.xml", head + "<office:document-content" + kNamespaces +
                          "><office:automatic-styles>" + automatic +
                          "</office:automatic-styles><office:body><office:spreadsheet>" + tables +
                          "</office:spreadsheet></office:body></office:document-content>"},
  };
  if (!common.empty()) {
    entries.push_back({"styles.xml", head + "<office:document-styles" + kNamespaces +
                                         "><office:styles>" + common +
                                         "</office:styles></office:document-styles>"});
  }
  return entries;
}

package::ReadResult Read(const testing::Entries& entries) {
  const std::string zip = testing::MakeZip(entries);
  return ReadOdsBuffer(zip.data(), zip.size());
}

std::unique_ptr<model::Workbook> Open(const testing::Entries& entries) {
  auto result = Read(entries);
  EXPECT_TRUE(result.ok()) << result.error.description;
  return std::move(result.workbook);
}

std::string Text(const model::Workbook& book, const char* reference, std::size_t sheet = 0) {
  const auto ref = model::ParseCellReference(reference);
  std::u16string out;
  const model::Sheet& s = book.sheet(sheet);
  model::DisplayedText(book, s, s.Find(static_cast<int>(ref->row), static_cast<int>(ref->column)),
                       out);
  return ToUtf8(out);
}

std::string Table(const std::string& rows, const std::string& name = "S") {
  return "<table:table table:name=\"" + name + "\">" + rows + "</table:table>";
}

std::string FloatCell(const std::string& value, const std::string& extra = "") {
  return "<table:table-cell office:value-type=\"float\" office:value=\"" + value + "\"" + extra +
         "><text:p>stored</text:p></table:table-cell>";
}

TEST(OdsContent, RepeatedRowsAndColumnsSpreadValuesButNotEmptiness) {
  const auto book = Open(Package(
      Table("<table:table-row table:number-rows-repeated=\"3\">"
            "<table:table-cell table:number-columns-repeated=\"2\"/>" +
            FloatCell("7", " table:number-columns-repeated=\"3\"") +
            "<table:table-cell table:number-columns-repeated=\"16379\"/></table:table-row>"
            "<table:table-row table:number-rows-repeated=\"1048570\"><table:table-cell "
            "table:number-columns-repeated=\"16384\"/></table:table-row>"
            "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>last</text:p>"
            "</table:table-cell></table:table-row>")));
  ASSERT_NE(book, nullptr);
  const model::Sheet& sheet = book->sheet(0);
  EXPECT_EQ(sheet.CellCount(), 10u);
  EXPECT_EQ(Text(*book, "C1"), "7");
  EXPECT_EQ(Text(*book, "E3"), "7");
  EXPECT_EQ(Text(*book, "B2"), "");
  EXPECT_EQ(Text(*book, "A1048574"), "last");
  // Repetitions share one copy of their text.
  const auto repeated = Open(Package(Table(
      "<table:table-row table:number-rows-repeated=\"1000\"><table:table-cell "
      "office:value-type=\"string\" table:number-columns-repeated=\"100\"><text:p>same</text:p>"
      "</table:table-cell></table:table-row>")));
  ASSERT_NE(repeated, nullptr);
  EXPECT_EQ(repeated->sheet(0).CellCount(), 100000u);
  EXPECT_EQ(repeated->sheet(0).strings().Count(), 1u);
  EXPECT_EQ(Text(*repeated, "CV1000"), "same");
}

TEST(OdsContent, RepeatsThatWouldFillMemoryOrPassTheGridAreRefused) {
  // A few hundred bytes that claim a billion cells of text.
  auto result = Read(Package(Table(
      "<table:table-row table:number-rows-repeated=\"1000000\"><table:table-cell "
      "office:value-type=\"string\" table:number-columns-repeated=\"16000\"><text:p>X</text:p>"
      "</table:table-cell></table:table-row>")));
  ASSERT_FALSE(result.ok());
  EXPECT_NE(result.error.description.find("more than a file of this size can hold"),
            std::string::npos)
      << result.error.description;
  result =
      Read(Package(Table("<table:table-row><table:table-cell table:number-columns-repeated="
                         "\"16384\"/>" +
                         FloatCell("1") + "</table:table-row>")));
  ASSERT_FALSE(result.ok());
  EXPECT_NE(result.error.description.find("has a value in row 1, column 16385"), std::string::npos)
      << result.error.description;
  result = Read(
      Package(Table("<table:table-row table:number-rows-repeated=\"1048576\"><table:table-cell/>"
                    "</table:table-row><table:table-row>" +
                    FloatCell("1") + "</table:table-row>")));
  ASSERT_FALSE(result.ok());
  EXPECT_NE(result.error.description.find("has values in row 1048577"), std::string::npos)
      << result.error.description;
  EXPECT_GE(CellBudget(0), 1u << 20);
  EXPECT_GT(CellBudget(10'000'000), CellBudget(10'000));
}

TEST(OdsContent, NoFileSpreadsOutToMoreCellsThanAnyWorkbookMayHold) {
  // 1,100 rows of 16,384 values: 18 million cells, fewer than the size-based budget of a file
  // of this size allows (a third of a megabyte of noise beside the content), more than any
  // workbook may hold.
  testing::Entries entries = Package(
      Table("<table:table-row table:number-rows-repeated=\"1100\">" +
            FloatCell("1", " table:number-columns-repeated=\"16384\"") + "</table:table-row>"));
  std::string noise(350u << 10, '\0');
  std::uint32_t state = 7;
  for (char& c : noise) {
    state = state * 1664525u + 1013904223u;
    c = static_cast<char>(state >> 24);
  }
  entries.push_back({"Pictures/noise.bin", noise});
  ASSERT_EQ(CellBudget(350u << 10), model::kMaxWorkbookCells);  // the size allows more
  const auto result = Read(entries);
  ASSERT_FALSE(result.ok());
  EXPECT_NE(result.error.description.find(
                "the workbook holds more than 16,777,216 cells, the most this program reads"),
            std::string::npos)
      << result.error.description;
  EXPECT_EQ(CellBudget(std::uint64_t{1} << 40), model::kMaxWorkbookCells);
}

TEST(OdsContent, SheetsSharingANameAreRefusedSinceNoSaveCouldKeepThemApart) {
  const std::string row = "<table:table-row>" + FloatCell("1") + "</table:table-row>";
  const auto result = Read(Package(Table(row, "Hidden") + Table(row, "HIDDEN")));
  ASSERT_FALSE(result.ok());
  EXPECT_NE(result.error.description.find("two sheets are named \"Hidden\" and \"HIDDEN\""),
            std::string::npos)
      << result.error.description;
}

TEST(OdsContent, ValueTypesAndTheTextOfCells) {
  const auto book = Open(Package(Table(
      "<table:table-row>"
      "<table:table-cell office:value-type=\"boolean\" office:boolean-value=\"true\"><text:p>"
      "TRUE</text:p></table:table-cell>"
      "<table:table-cell office:value-type=\"string\" office:string-value=\"attribute\"><text:p>"
      "paragraph</text:p></table:table-cell>"
      "<table:table-cell office:value-type=\"string\"><text:p>one<text:s text:c=\"2\"/>two"
      "<text:tab/>three</text:p><text:p>second <text:span>line</text:span></text:p>"
      "<office:annotation><text:p>a comment</text:p></office:annotation></table:table-cell>"
      "<table:table-cell table:formula=\"of:=1/0\" office:value-type=\"float\" office:value=\"0\""
      " calcext:value-type=\"error\"><text:p>#DIV/0!</text:p></table:table-cell>"
      "<table:table-cell><text:p>no type</text:p><draw:frame><text:p>shape</text:p></draw:frame>"
      "</table:table-cell>"
      "<table:table-cell office:value-type=\"string\"><text:p><text:s text:c=\"999999999\"/>"
      "</text:p></table:table-cell>"
      "<table:covered-table-cell office:value-type=\"float\" office:value=\"2\"/>"
      "</table:table-row>")));
  ASSERT_NE(book, nullptr);
  EXPECT_EQ(Text(*book, "A1"), "TRUE");
  EXPECT_EQ(Text(*book, "B1"), "attribute");
  EXPECT_EQ(Text(*book, "C1"), "one  two\tthree\nsecond line");
  EXPECT_EQ(book->sheet(0).Find(1, 4)->type, model::CellType::kError);
  EXPECT_EQ(Text(*book, "D1"), "#DIV/0!");
  EXPECT_EQ(Text(*book, "E1"), "no type");
  EXPECT_EQ(Text(*book, "F1").size(), 32767u);  // the most a cell holds
  EXPECT_EQ(Text(*book, "G1"), "2");
}

TEST(OdsContent, DatesTimesAndTheNullDate) {
  const std::string automatic =
      "<number:date-style style:name=\"N1\"><number:month/><number:text>/</number:text>"
      "<number:day/><number:text>/</number:text><number:year number:style=\"long\"/>"
      "</number:date-style>"
      "<number:time-style style:name=\"N2\" number:truncate-on-overflow=\"false\">"
      "<number:hours/><number:text>:</number:text><number:minutes number:style=\"long\"/>"
      "</number:time-style>"
      "<style:style style:name=\"ce1\" style:family=\"table-cell\" style:data-style-name=\"N1\"/>"
      "<style:style style:name=\"ce2\" style:family=\"table-cell\" style:data-style-name=\"N2\"/>";
  const std::string row =
      "<table:table-row>"
      "<table:table-cell table:style-name=\"ce1\" office:value-type=\"date\" "
      "office:date-value=\"1900-02-28\"/>"
      "<table:table-cell table:style-name=\"ce1\" office:value-type=\"date\" "
      "office:date-value=\"2024-02-29T18:00:00\"/>"
      "<table:table-cell table:style-name=\"ce2\" office:value-type=\"time\" "
      "office:time-value=\"PT36H30M00S\"/>"
      "<table:table-cell table:style-name=\"ce1\" office:value-type=\"float\" "
      "office:value=\"1\"/>"
      "<table:table-cell office:value-type=\"date\" office:date-value=\"2024-01-01\">"
      "<text:p>01/01/24</text:p></table:table-cell>"
      "</table:table-row>";
  const auto book = Open(Package(Table(row), automatic));
  ASSERT_NE(book, nullptr);
  EXPECT_EQ(Text(*book, "A1"), "2/28/1900");
  EXPECT_EQ(Text(*book, "B1"), "2/29/2024");
  EXPECT_EQ(Text(*book, "C1"), "36:30");
  EXPECT_EQ(Text(*book, "D1"), "1/1/1900");
  EXPECT_EQ(Text(*book, "E1"), "01/01/24");  // no date style: the stored text
  const auto from1904 =
      Open(Package("<table:calculation-settings><table:null-date table:date-value=\"1904-01-01\"/>"
                   "</table:calculation-settings>" +
                       Table(row),
                   automatic));
  ASSERT_NE(from1904, nullptr);
  EXPECT_TRUE(from1904->date1904());
  EXPECT_EQ(Text(*from1904, "B1"), "2/29/2024");
  EXPECT_EQ(Text(*from1904, "D1"), "1/2/1904");
  EXPECT_EQ(DaysFromDuration("-PT12H"), -0.5);
  for (const char* logical : {"of:=TRUE()", "of:=[.A1]>0", "of:=AND([.A1];[.B1])",
                              "of:=[.A1]<>\"x\"", "=isblank([.C3])"}) {
    EXPECT_TRUE(IsLogicalFormula(logical)) << logical;
  }
  for (const char* other : {"of:=1/0", "of:=IF([.A1]>0;1;2)", "of:=\"a>b\"", "of:=TRUE()+1",
                            "of:=SUM([.A1:.A3])", "of:=NOT(1)*2"}) {
    EXPECT_FALSE(IsLogicalFormula(other)) << other;
  }
  EXPECT_EQ(DaysFromDuration("P1DT6H"), 1.25);
  EXPECT_EQ(DaysFromDuration("P1Y"), std::nullopt);
  EXPECT_EQ(DaysFromDuration("12:00"), std::nullopt);
}

TEST(OdsStyles, CellStylesFoundThroughParentsRowsAndColumns) {
  const std::string common =
      "<number:number-style style:name=\"N4\"><number:number number:decimal-places=\"2\" "
      "number:min-integer-digits=\"1\" number:grouping=\"true\"/></number:number-style>"
      "<style:style style:name=\"Money\" style:family=\"table-cell\" "
      "style:data-style-name=\"N4\"/>";
  const std::string automatic =
      "<number:percentage-style style:name=\"N10\"><number:number number:decimal-places=\"0\" "
      "number:min-integer-digits=\"1\"/><number:text>%</number:text></number:percentage-style>"
      "<number:boolean-style style:name=\"N99\"><number:boolean/></number:boolean-style>"
      "<number:date-style style:name=\"N77\"><number:quarter/></number:date-style>"
      "<style:style style:name=\"ce1\" style:family=\"table-cell\" "
      "style:parent-style-name=\"Money\"/>"
      "<style:style style:name=\"ce2\" style:family=\"table-cell\" "
      "style:data-style-name=\"N10\"/>"
      "<style:style style:name=\"ce3\" style:family=\"table-cell\" "
      "style:data-style-name=\"N99\"/>"
      "<style:style style:name=\"ce4\" style:family=\"table-cell\" "
      "style:data-style-name=\"N77\"/>"
      "<style:style style:name=\"ta2\" style:family=\"table\"><style:table-properties "
      "table:display=\"false\"/></style:style>";
  const std::string tables = Table(
                                 "<table:table-column table:default-cell-style-name=\"ce2\"/>"
                                 "<table:table-column table:number-columns-repeated=\"2\" "
                                 "table:default-cell-style-name=\"ce1\"/>"
                                 "<table:table-row>" +
                                 FloatCell("0.25") + FloatCell("1234.5") + FloatCell("7") +
                                 FloatCell("2", " table:style-name=\"ce3\"") +
                                 FloatCell("45292", " table:style-name=\"ce4\"") + FloatCell("3") +
                                 "</table:table-row>"
                                 "<table:table-row table:default-cell-style-name=\"ce3\">" +
                                 FloatCell("0") + "</table:table-row>") +
                             "<table:table table:name=\"Hidden\" table:style-name=\"ta2\"/>";
  const auto book = Open(Package(tables, automatic, common));
  ASSERT_NE(book, nullptr);
  EXPECT_EQ(Text(*book, "A1"), "25%");       // column default
  EXPECT_EQ(Text(*book, "B1"), "1,234.50");  // column default, data style from the parent
  EXPECT_EQ(Text(*book, "C1"), "7.00");
  EXPECT_EQ(Text(*book, "D1"), "TRUE");    // a boolean style on a number
  EXPECT_EQ(Text(*book, "E1"), "stored");  // no code for quarters: the stored text
  EXPECT_EQ(Text(*book, "F1"), "3");       // past the styled columns
  EXPECT_EQ(Text(*book, "A2"), "FALSE");   // the row's default wins over the column's
  ASSERT_EQ(book->SheetCount(), 2u);
  EXPECT_EQ(book->sheet(1).visibility(), model::Visibility::kHidden);
  EXPECT_EQ(book->sheet(0).visibility(), model::Visibility::kVisible);
}

TEST(OdsPackage, ProtectedForeignAndBrokenPackagesAreNamed) {
  testing::Entries encrypted = Package(Table(""));
  encrypted.push_back(
      {"META-INF/manifest.xml",
       "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
       "<manifest:file-entry manifest:full-path=\"content.xml\"><manifest:encryption-data/>"
       "</manifest:file-entry></manifest:manifest>"});
  auto result = Read(encrypted);
  EXPECT_TRUE(result.error.encrypted);
  testing::Entries text_document = Package(Table(""));
  text_document[0].second = "application/vnd.oasis.opendocument.text";
  result = Read(text_document);
  EXPECT_TRUE(result.error.not_a_workbook);
  EXPECT_EQ(result.error.description, "it is an OpenDocument text, not a spreadsheet");
  result = Read({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}});
  EXPECT_TRUE(result.error.not_a_workbook);
  result = Read(testing::MinimalWorkbook("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"));
  EXPECT_TRUE(result.error.not_a_workbook);
  EXPECT_NE(result.error.description.find("Office Open XML workbook"), std::string::npos)
      << result.error.description;
  result = Read(Package(""));
  EXPECT_EQ(result.error.description, "the spreadsheet holds no sheets");
  testing::Entries doctype = Package(Table(""));
  doctype[1].second = "<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY a \"b\">]><x/>";
  result = Read(doctype);
  EXPECT_NE(result.error.description.find("part content.xml"), std::string::npos);
  EXPECT_NE(result.error.description.find("document type"), std::string::npos);
  testing::Entries broken = Package(Table("<table:table-row>"));
  result = Read(broken);
  EXPECT_NE(result.error.description.find("is not valid XML"), std::string::npos)
      << result.error.description;
}

}  // namespace
}  // namespace brintova::engine::ods
