// The xlsx reader on packages built in memory: cell types and loose producers read leniently;
// damaged, hostile and oversized input refused with a reason, never a crash or a hang.
#include "engine/package/xlsx_reader.h"

#include <gtest/gtest.h>

#include "engine/model/workbook.h"
#include "engine/package/worksheet_part.h"
#include "platform/text.h"
#include "test_package.h"

namespace brintova::engine::package {
namespace {

using testing::MakeZip;
using testing::MinimalWorkbook;
using testing::WorkbookWithSheetPart;

ReadResult ReadEntries(const testing::Entries& entries, const ReadLimits& limits = {}) {
  const std::string bytes = MakeZip(entries);
  return ReadXlsxBuffer(bytes.data(), bytes.size(), limits);
}

std::string TextAt(const ReadResult& result, int row, int column) {
  std::u16string out;
  const model::Sheet& sheet = result.workbook->sheet(0);
  model::DisplayedText(*result.workbook, sheet, sheet.Find(row, column), out);
  return ToUtf8(out);
}

const std::string kStyles =
    R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<numFmts count="1"><numFmt numFmtId="164" formatCode="0.000"/></numFmts>)"
    R"(<cellStyleXfs count="1"><xf numFmtId="10"/></cellStyleXfs>)"
    R"(<cellXfs count="99"><xf numFmtId="0"/><xf numFmtId="164"/><xf numFmtId="14"/>)"
    R"(<xf numFmtId="49"/></cellXfs></styleSheet>)";

const std::string kSharedStrings =
    R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="3" uniqueCount="3">)"
    R"(<si><t>plain</t></si>)"
    R"(<si><r><rPr><b/></rPr><t>ri</t></r><r><t xml:space="preserve">ch </t></r>)"
    R"(<rPh sb="0" eb="1"><t>PHONETIC</t></rPh><phoneticPr fontId="1"/></si>)"
    R"(<si><t>a_x000D_b_x005F_x0041_</t></si></sst>)";

TEST(XlsxReader, ReadsEveryCellType) {
  const auto result = ReadEntries(MinimalWorkbook(
      R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c>)"
      R"(<c r="C1" t="s"><v>2</v></c><c r="D1" t="s"><v>9</v></c></row>)"
      R"(<row r="2"><c r="A2" s="1"><v>3.14159</v></c><c r="B2" t="str"><f>A1&amp;"x"</f><v>plainx</v></c>)"
      R"(<c r="C2" t="b"><v>1</v></c><c r="D2" t="e"><v>#N/A</v></c>)"
      R"(<c r="E2" t="inlineStr"><is><r><t>in</t></r><r><t>line</t></r><rPh><t>X</t></rPh></is></c></row>)"
      R"(<row r="3"><c r="A3" t="d" s="2"><v>2024-02-29T12:00:00</v></c><c r="B3" s="3"><v>42</v></c>)"
      R"(<c r="C3"><f>1+1</f><v>2</v></c><c r="D3" s="1"/><c r="E3"/></row>)",
      kStyles, kSharedStrings));
  ASSERT_TRUE(result.ok()) << result.error.description;
  struct Case {
    int row, column;
    const char* expected;
  };
  const Case cases[] = {
      {1, 1, "plain"},  {1, 2, "rich "},     {1, 3, "a\rb_x0041_"}, {1, 4, ""},
      {2, 1, "3.142"},  {2, 2, "plainx"},    {2, 3, "TRUE"},        {2, 4, "#N/A"},
      {2, 5, "inline"}, {3, 1, "2/29/2024"}, {3, 2, "42"},          {3, 3, "2"},
      {3, 4, ""},       {3, 5, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TextAt(result, c.row, c.column), c.expected) << model::CellReference(c.row, c.column);
  }
  const model::Sheet& sheet = result.workbook->sheet(0);
  EXPECT_EQ(sheet.Find(3, 4)->type, model::CellType::kEmpty);  // formatted, kept
  EXPECT_EQ(sheet.Find(3, 5), nullptr);                        // neither value nor format
}

TEST(XlsxReader, ReadsWhatLooseProducersWrite) {
  // No [Content_Types].xml, prefixed elements, cells and rows without references, a dimension
  // that lies, counts that disagree, numbers with spaces and a plus sign.
  auto entries = WorkbookWithSheetPart(
      R"(<x:worksheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
      R"(<x:dimension ref="A1:XFD1048576"/><x:sheetData>)"
      R"(<x:row><x:c><x:v> +1.5 </x:v></x:c><x:c><x:v>2</x:v></x:c></x:row>)"
      R"(<x:row r="4"><x:c r="C4"><x:v>3</x:v></x:c><x:c><x:v>4</x:v></x:c></x:row>)"
      R"(<x:row><x:c t="b"><x:v>true</x:v></x:c></x:row>)"
      R"(</x:sheetData></x:worksheet>)");
  entries.erase(entries.begin());
  const auto result = ReadEntries(entries);
  ASSERT_TRUE(result.ok()) << result.error.description;
  EXPECT_EQ(TextAt(result, 1, 1), "1.5");
  EXPECT_EQ(TextAt(result, 1, 2), "2");
  EXPECT_EQ(TextAt(result, 4, 3), "3");
  EXPECT_EQ(TextAt(result, 4, 4), "4");
  EXPECT_EQ(TextAt(result, 5, 1), "TRUE");
  const model::UsedRange used = result.workbook->sheet(0).used_range();
  EXPECT_EQ(used.last_row, 5);
  EXPECT_EQ(used.last_column, 4);
}

TEST(XlsxReader, NonFiniteNumbersShowAsNumError) {
  const auto result = ReadEntries(MinimalWorkbook(
      R"(<row r="1"><c r="A1"><v>NaN</v></c><c r="B1"><v>1e999</v></c><c r="C1"><v>-inf</v></c>)"
      R"(<c r="D1"><v>12abc</v></c></row>)"));
  ASSERT_TRUE(result.ok()) << result.error.description;
  EXPECT_EQ(TextAt(result, 1, 1), "#NUM!");
  EXPECT_EQ(TextAt(result, 1, 2), "#NUM!");
  EXPECT_EQ(TextAt(result, 1, 3), "#NUM!");
  EXPECT_EQ(TextAt(result, 1, 4), "12abc");  // not a number: kept as the text it is
}

struct RefusalCase {
  const char* name;
  std::string bytes;
  const char* expected_in_description;
  bool not_a_workbook = false;
  bool encrypted = false;
};

std::vector<RefusalCase> RefusalCases() {
  std::vector<RefusalCase> cases;
  cases.push_back({"NotAZip", "just some text, not a package", "not a zip package", true});
  cases.push_back(
      {"ZipWithoutWorkbook", MakeZip({{"word/document.xml", "<w/>"}}), "no workbook part", true});
  std::string compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  compound.resize(512, '\0');
  for (char c : std::string("EncryptionInfo")) compound += std::string{c, '\0'};
  compound.resize(2048, '\0');
  cases.push_back({"EncryptedPackage", compound, "encrypted with a password", false, true});
  std::string plain_compound = compound.substr(0, 512);
  plain_compound.resize(2048, '\0');
  cases.push_back({"CompoundFileWithoutEncryption", plain_compound, "OLE compound file", true});
  const std::string good = MakeZip(MinimalWorkbook(R"(<row r="1"><c r="A1"><v>1</v></c></row>)"));
  cases.push_back({"TruncatedZip", good.substr(0, good.size() / 2), "zip"});
  // A stored part whose bytes changed after packing: its checksum no longer matches.
  std::string altered =
      MakeZip(MinimalWorkbook(R"(<row r="1"><c r="A1"><v>1234</v></c></row>)"), 0);
  altered[altered.find("1234")] = '9';
  cases.push_back({"PartFailsItsChecksum", altered, "damaged at part xl/worksheets/sheet1.xml"});
  cases.push_back({"Doctype",
                   MakeZip(WorkbookWithSheetPart(
                       R"(<?xml version="1.0"?><!DOCTYPE lol [<!ENTITY a "aaaaaaaaaa">)"
                       R"(<!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">]>)"
                       R"(<worksheet><sheetData><row><c t="inlineStr"><is><t>&b;</t></is></c>)"
                       R"(</row></sheetData></worksheet>)")),
                   "DOCTYPE"});
  // An external entity in another part: never fetched, never expanded, the DTD alone refuses.
  cases.push_back(
      {"ExternalEntityInSharedStrings",
       MakeZip(MinimalWorkbook(
           R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)", "",
           R"(<?xml version="1.0"?><!DOCTYPE sst [<!ENTITY x SYSTEM "file:///etc/passwd">]>)"
           R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
           R"(<si><t>&x;</t></si></sst>)")),
       "xl/sharedStrings.xml"});
  cases.push_back({"MalformedXml",
                   MakeZip(MinimalWorkbook(R"(<row r="1"><c r="A1"><v>1</v></row>)")),
                   "xl/worksheets/sheet1.xml (line 1) is not valid XML"});
  cases.push_back(
      {"InvalidUtf8",
       MakeZip(MinimalWorkbook(
           "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>\xC3\x28</t></is></c></row>")),
       "not valid XML"});
  cases.push_back({"ColumnPastTheGrid",
                   MakeZip(MinimalWorkbook(R"(<row r="1"><c r="XFE1"><v>1</v></c></row>)")),
                   "cell XFE1 lies past the grid"});
  cases.push_back({"RowPastTheGrid",
                   MakeZip(MinimalWorkbook(R"(<row r="1048577"><c><v>1</v></c></row>)")),
                   "row 1048577 lies past the last row"});
  cases.push_back({"CellReferencePastTheGrid",
                   MakeZip(MinimalWorkbook(R"(<row r="1"><c r="A1048577"><v>1</v></c></row>)")),
                   "cell A1048577 lies past the grid"});
  cases.push_back({"RowZeroReference",
                   MakeZip(MinimalWorkbook(R"(<row r="1"><c r="A0"><v>1</v></c></row>)")),
                   "reference \"A0\", which is not a cell: rows are numbered from 1"});
  cases.push_back({"BillionRowsWithoutReferences",
                   MakeZip(MinimalWorkbook(R"(<row r="1000000000"><c><v>1</v></c></row>)")),
                   "row 1000000000 lies past"});
  auto missing = MinimalWorkbook("");
  missing.erase(missing.begin() + 4);  // the worksheet part
  cases.push_back(
      {"MissingSheetPart", MakeZip(missing), "part xl/worksheets/sheet1.xml is missing"});
  return cases;
}

class XlsxRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(XlsxRefusal, RefusesWithAReason) {
  const RefusalCase& c = GetParam();
  const ReadResult result = ReadXlsxBuffer(c.bytes.data(), c.bytes.size());
  ASSERT_FALSE(result.ok());
  EXPECT_NE(result.error.description.find(c.expected_in_description), std::string::npos)
      << result.error.description;
  EXPECT_EQ(result.error.not_a_workbook, c.not_a_workbook);
  EXPECT_EQ(result.error.encrypted, c.encrypted);
}

INSTANTIATE_TEST_SUITE_P(Hostile, XlsxRefusal, ::testing::ValuesIn(RefusalCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(XlsxReader, RefusesAZipBombByRatioAndByCeiling) {
  // 48 MB of blanks inside sheetData deflate about a thousandfold.
  const std::string blanks(48u << 20, ' ');
  const std::string bomb = MakeZip(MinimalWorkbook(blanks), 9);
  ASSERT_LT(bomb.size(), 1u << 20);
  const ReadResult by_ratio = ReadXlsxBuffer(bomb.data(), bomb.size());
  ASSERT_FALSE(by_ratio.ok());
  EXPECT_NE(by_ratio.error.description.find("zip bomb"), std::string::npos)
      << by_ratio.error.description;

  ReadLimits small;
  small.zip.max_part_bytes = 1u << 20;
  const std::string big_sheet = MakeZip(MinimalWorkbook(std::string(2u << 20, ' ')), 1);
  const ReadResult by_ceiling = ReadXlsxBuffer(big_sheet.data(), big_sheet.size(), small);
  ASSERT_FALSE(by_ceiling.ok());
  EXPECT_NE(by_ceiling.error.description.find("xl/worksheets/sheet1.xml"), std::string::npos)
      << by_ceiling.error.description;
  // The limit passed is named.
  EXPECT_NE(by_ceiling.error.description.find("more than the 1 MB this program reads of one part"),
            std::string::npos)
      << by_ceiling.error.description;
}

TEST(XlsxReader, AMillionDistinctStylesLoadAndRender) {
  std::string styles =
      R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><numFmts>)";
  constexpr int kStyles = 1000000;
  for (int i = 0; i < kStyles; ++i) {
    styles += "<numFmt numFmtId=\"" + std::to_string(164 + i) + "\" formatCode=\"0." +
              std::string(static_cast<std::size_t>(i % 5), '0') + "\"/>";
  }
  styles += "</numFmts><cellXfs>";
  for (int i = 0; i < kStyles; ++i) styles += "<xf numFmtId=\"" + std::to_string(164 + i) + "\"/>";
  styles += "</cellXfs></styleSheet>";
  const auto result = ReadEntries(MinimalWorkbook(
      R"(<row r="1"><c r="A1" s="999998"><v>1.5</v></c><c r="B1" s="5000000"><v>2</v></c>)"
      R"(<c r="C1" s="99999999999"><v>3</v></c><c r="D1"><v>4</v></c></row>)",
      styles));
  ASSERT_TRUE(result.ok()) << result.error.description;
  EXPECT_EQ(result.workbook->styles().StyleCount(), static_cast<std::uint32_t>(kStyles));
  EXPECT_EQ(TextAt(result, 1, 1), "1.500");  // style 999998 has three decimals
  // A style past the table, even past 32 bits, shows as General, not as the file's first style.
  EXPECT_EQ(TextAt(result, 1, 2), "2");
  EXPECT_EQ(TextAt(result, 1, 3), "3");
  EXPECT_EQ(TextAt(result, 1, 4), "4.");  // no s: the file's first style, "0."
}

// A part past a few megabytes is parsed on one thread while another fills the cell store: the
// cells, their own texts and the count of formulas without a result come out as a small part's
// do, and a failure on the parsing side still names the part, its line and the cell.
TEST(XlsxReader, ALargePartReadAlongsideGivesWhatASmallOneDoes) {
  constexpr int kRows = 20000;  // about 5 MB of XML, so many batches of cells go across
  // Numbers written loosely, which the storing side reads: spaces and a plus, one too large, a
  // text that is no number, leading zeros.
  const char* const loose[] = {" +7 ", "1e999", "12 apples", "-0012"};
  const auto row_xml = [&](int r) {
    const std::string n = std::to_string(r);
    return "<row r=\"" + n + "\"><c r=\"A" + n + "\" s=\"1\"><v>" + n + ".25</v></c>" + "<c r=\"B" +
           n + "\" t=\"s\"><v>" + std::to_string(r % 3) + "</v></c>" + "<c r=\"C" + n +
           "\" t=\"inlineStr\"><is><t>in " + n + "</t></is></c>" + "<c r=\"D" + n +
           "\" t=\"str\"><f>X</f><v>f_x0041_" + n + "</v></c>" + "<c r=\"E" + n +
           "\" t=\"e\"><v>oops " + n + "</v></c>" + "<c r=\"F" + n + "\"><f>1+1</f></c><c r=\"G" +
           n + "\" s=\"1\"/>" + "<c r=\"H" + n + "\" t=\"e\"><v>#DIV/0!</v></c>" + "<c r=\"I" + n +
           "\"><v>" + loose[r % 4] + "</v></c></row>\n";
  };
  std::string rows;
  for (int r = 1; r <= kRows; ++r) rows += row_xml(r);
  ASSERT_GT(rows.size(), 4u << 20);
  const auto large = ReadEntries(MinimalWorkbook(rows, kStyles, kSharedStrings));
  ASSERT_TRUE(large.ok()) << large.error.description;
  const model::Sheet& sheet = large.workbook->sheet(0);
  EXPECT_EQ(sheet.CellCount(), 9u * kRows);
  EXPECT_EQ(large.workbook->formulas_without_result(), static_cast<std::uint64_t>(kRows));
  for (const int r : {1, 512, 513, 9999, 10002, kRows}) {
    const auto small = ReadEntries(MinimalWorkbook(row_xml(r), kStyles, kSharedStrings));
    ASSERT_TRUE(small.ok()) << small.error.description;
    for (int column = 1; column <= 9; ++column) {
      std::u16string expected;
      model::DisplayedText(*small.workbook, small.workbook->sheet(0),
                           small.workbook->sheet(0).Find(r, column), expected);
      EXPECT_EQ(TextAt(large, r, column), ToUtf8(expected)) << model::CellReference(r, column);
    }
  }
  EXPECT_EQ(TextAt(large, kRows, 3), "in " + std::to_string(kRows));
  EXPECT_EQ(TextAt(large, kRows, 4), "fA" + std::to_string(kRows));
  EXPECT_EQ(TextAt(large, 1, 9), "#NUM!");
  EXPECT_EQ(sheet.Find(1, 9)->type, model::CellType::kError);  // not an infinite number
  EXPECT_EQ(TextAt(large, 10002, 9), "12 apples");
  EXPECT_EQ(TextAt(large, 9999, 9), "-12");
  EXPECT_EQ(TextAt(large, kRows, 9), "7");

  std::string damaged = rows;
  const std::string cell = "<c r=\"A15000\" s=\"1\"><v>15000.25</v>";
  damaged.insert(damaged.find(cell) + cell.size(), "<v>2</v>");
  const auto failed = ReadEntries(MinimalWorkbook(damaged, kStyles, kSharedStrings));
  ASSERT_FALSE(failed.ok());
  EXPECT_NE(failed.error.description.find("xl/worksheets/sheet1.xml (line 15000): cell A15000 "
                                          "holds two values"),
            std::string::npos)
      << failed.error.description;

  ReadLimits limits;
  limits.max_cells = 100000;  // reached in row 12,500
  const std::string bytes = MakeZip(MinimalWorkbook(rows, kStyles, kSharedStrings));
  const auto over = ReadXlsxBuffer(bytes.data(), bytes.size(), limits);
  ASSERT_FALSE(over.ok());
  EXPECT_NE(over.error.description.find("more than 100,000 cells"), std::string::npos)
      << over.error.description;
}

TEST(XlsxReader, IsoDatesBecomeSerialsInEitherSystem) {
  struct Case {
    const char* text;
    bool date1904;
    std::optional<double> serial;
  };
  const Case cases[] = {
      {"1900-01-01", false, 1},
      {"1900-02-28", false, 59},
      {"1900-03-01", false, 61},
      {"2024-02-29", false, 45351},
      {"2024-02-29T18:00:00", false, 45351.75},
      {"1904-01-01", true, 0},
      {"2024-02-29", true, 45351 - 1462},
      {"12:00", false, 0.5},
      {"2024-02-30", false, std::nullopt},
      {"2023-02-29", false, std::nullopt},
      {"yesterday", false, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SerialFromIsoDate(c.text, c.date1904), c.serial) << c.text;
  }
}

}  // namespace
}  // namespace brintova::engine::package
