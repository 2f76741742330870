// The legacy reader over workbook streams built record by record: the value records and their
// number formats, strings running on through CONTINUE records, Excel 5/95 code pages, records
// out of order, and counts and offsets that lie.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "biff_builder.h"
#include "engine/legacy/legacy_workbook_reader.h"
#include "platform/text.h"

namespace brintova::engine::legacy {
namespace {

using namespace testing;  // NOLINT: the builder's helpers

std::string Cell(std::uint16_t row, std::uint16_t column, std::uint16_t xf) {
  return Le16(row) + Le16(column) + Le16(xf);
}

// XF records: style 0 General, then one per format id given.
StreamBuilder Styles(const std::vector<std::pair<std::uint16_t, std::u16string>>& formats,
                     const std::vector<std::uint16_t>& xf_format_ids) {
  StreamBuilder globals;
  for (const auto& [id, code] : formats) globals.Add(0x041E, Le16(id) + Biff8String(code));
  globals.Add(0x00E0, Le16(0) + Le16(0) + std::string(16, '\0'));
  for (std::uint16_t id : xf_format_ids)
    globals.Add(0x00E0, Le16(0) + Le16(id) + std::string(16, '\0'));
  return globals;
}

package::ReadResult ReadStream(const std::string& stream) {
  return ReadLegacyBuffer(CompoundFileOf({{u"Workbook", stream}}));
}

std::string Text(const model::Workbook& book, std::int32_t row, std::int32_t column,
                 std::size_t sheet = 0) {
  std::u16string text;
  const model::Sheet& s = book.sheet(sheet);
  model::DisplayedText(book, s, s.Find(row, column), text);
  return ToUtf8(text);
}

TEST(BiffRecords, ValuesShowThroughTheirCellsNumberFormats) {
  // xf 1: 0.0% (custom 164), xf 2: #,##0.00 (built in 4), xf 3: 00000, xf 4: m/d/yyyy (14),
  // xf 5: "$"#,##0.00 as the file declares id 7.
  StreamBuilder globals =
      Styles({{164, u"0.0%"}, {165, u"00000"}, {7, u"\"$\"#,##0.00"}}, {164, 4, 165, 14, 7});
  StreamBuilder cells;
  cells
      .Add(0x0203, Cell(0, 0, 1) + F64(0.256))                 // A1 26%: 25.6%
      .Add(0x027E, Cell(0, 1, 2) + Le32((1234567u << 2) | 3))  // B1 RK integer / 100
      .Add(0x027E, Cell(0, 2, 3) + Le32(42u << 2 | 2))         // C1 RK integer
      .Add(0x027E, Cell(0, 3, 4) + Le32(0x40E62020u))          // D1 RK double 45313, 22 Jan 2024
      .Add(0x0203, Cell(0, 4, 5) + F64(1234.5))                // E1 currency
      .Add(0x00BD, Le16(1) + Le16(0) + Le16(0) + Le32(7u << 2 | 2) + Le16(3) + Le32(5u << 2 | 2) +
                       Le16(1))                                      // MULRK A2:B2
      .Add(0x0205, Cell(2, 0, 0) + std::string("\x01\x00", 2))       // A3 TRUE
      .Add(0x0205, Cell(2, 1, 0) + std::string("\x07\x01", 2))       // B3 #DIV/0!
      .Add(0x0006, Cell(3, 0, 2) + F64(2.5) + std::string(8, '\0'))  // A4 =number
      .Add(0x0006, Cell(3, 1, 0) + std::string("\x00\x00\x00\x00\x00\x00\xFF\xFF", 8) +
                       std::string(8, '\0'))
      .Add(0x04BC, std::string(10, '\0'))        // a shared formula between
      .Add(0x0207, Biff8String(u"from STRING"))  // B4's text
      .Add(0x0006, Cell(3, 2, 0) + std::string("\x01\x00\x01\x00\x00\x00\xFF\xFF", 8) +
                       std::string(8, '\0'))  // C4 =TRUE
      .Add(0x0006, Cell(3, 3, 0) + std::string("\x02\x00\x2A\x00\x00\x00\xFF\xFF", 8) +
                       std::string(8, '\0'))  // D4 =#N/A
      .Add(0x0006, Cell(3, 4, 0) + std::string("\x03\x00\x00\x00\x00\x00\xFF\xFF", 8) +
                       std::string(8, '\0'))                      // E4 ="" result
      .Add(0x0201, Cell(5, 5, 2))                                 // F6 styled, empty
      .Add(0x0204, Cell(6, 0, 0) + Biff8String(u"Ωmega label"));  // A7 LABEL, 16-bit
  const auto result = ReadStream(OneSheetStream(globals, cells));
  ASSERT_TRUE(result.ok()) << result.error.description;
  const model::Workbook& book = *result.workbook;
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"A1", "25.6%"},     {"B1", "12,345.67"}, {"C1", "00042"},       {"D1", "1/22/2024"},
      {"E1", "$1,234.50"}, {"A2", "7"},         {"B2", "00005"},       {"A3", "TRUE"},
      {"B3", "#DIV/0!"},   {"A4", "2.50"},      {"B4", "from STRING"}, {"C4", "TRUE"},
      {"D4", "#N/A"},      {"E4", ""},          {"A7", "Ωmega label"},
  };
  for (const auto& [ref, text] : expected) {
    const auto at = model::ParseCellReference(ref);
    EXPECT_EQ(Text(book, static_cast<int>(at->row), static_cast<int>(at->column)), text) << ref;
  }
  const model::UsedRange used = book.sheet(0).used_range();
  EXPECT_EQ(used.last_row, 7);
  EXPECT_EQ(used.last_column, 6);  // F6 carries only a style, and still counts
}

TEST(BiffRecords, SharedStringsRunOnThroughContinueRecords) {
  // String 0: 16-bit characters whose second half continues 8-bit (the CONTINUE record starts
  // with its own flags byte); string 1: rich text whose formatting runs straddle a CONTINUE;
  // string 2 begins in the last CONTINUE.
  const std::string first_half = Le16(0x3A9) + Le16(0x3B1);  // "Ωα"
  std::string sst = Le32(3) + Le32(3) + Le16(4) + "\x01" + first_half;
  std::string continued = std::string("\x00", 1) + "ab";
  std::string rich = Le16(3) + "\x08" + Le16(2) + "xyz" + Le32(0x00010000);
  continued += rich;
  const std::string runs_rest = Le32(0x00020002);
  StreamBuilder globals = Styles({}, {});
  globals.Add(0x00FC, sst).Add(0x003C, continued).Add(0x003C, runs_rest + Biff8String(u"last"));
  StreamBuilder cells;
  for (std::uint16_t i = 0; i < 3; ++i) cells.Add(0x00FD, Cell(i, 0, 0) + Le32(i));
  cells.Add(0x00FD, Cell(3, 0, 0) + Le32(99));  // past the table: empty text, no crash
  const auto result = ReadStream(OneSheetStream(globals, cells));
  ASSERT_TRUE(result.ok()) << result.error.description;
  EXPECT_EQ(Text(*result.workbook, 1, 1), "Ωαab");
  EXPECT_EQ(Text(*result.workbook, 2, 1), "xyz");
  EXPECT_EQ(Text(*result.workbook, 3, 1), "last");
  EXPECT_EQ(Text(*result.workbook, 4, 1), "");
}

TEST(BiffRecords, OneCopyOfAStringSharedByManyCells) {
  // 20,000 cells showing one 16,000-character string: the string is stored once.
  const std::u16string text(16000, u'x');
  std::string sst = Le32(20000) + Le32(1) + Le16(16000) + std::string(1, '\0');
  const std::string chars(16000, 'x');
  StreamBuilder globals = Styles({}, {});
  std::size_t at = 8200 - sst.size();
  globals.Add(0x00FC, sst + chars.substr(0, at));
  while (at < chars.size()) {
    const std::size_t step = std::min<std::size_t>(8000, chars.size() - at);
    globals.Add(0x003C, std::string(1, '\0') + chars.substr(at, step));
    at += step;
  }
  StreamBuilder cells;
  for (std::uint16_t i = 0; i < 20000; ++i) cells.Add(0x00FD, Cell(i, 0, 0) + Le32(0));
  const auto result = ReadStream(OneSheetStream(globals, cells));
  ASSERT_TRUE(result.ok()) << result.error.description;
  const model::Workbook& book = *result.workbook;
  EXPECT_EQ(book.shared_strings().Count(), 1u);
  EXPECT_EQ(book.shared_strings().CharCount(), 16000u);
  EXPECT_EQ(book.sheet(0).CellCount(), 20000u);
  EXPECT_EQ(book.sheet(0).strings().CharCount(), 0u);
  EXPECT_EQ(Text(book, 20000, 1), ToUtf8(text));
}

TEST(BiffRecords, CellsOutOfOrderAreSortedAndTheLastOfAPositionWins) {
  StreamBuilder cells;
  cells.Add(0x0203, Cell(4, 2, 0) + F64(1))
      .Add(0x0203, Cell(0, 5, 0) + F64(2))
      .Add(0x0203, Cell(0, 1, 0) + F64(3))
      .Add(0x0203, Cell(4, 2, 0) + F64(4))      // C5 again: this one is kept
      .Add(0x0203, Cell(0, 300, 0) + F64(5))    // past column IV: still in the grid
      .Add(0x0203, Cell(0, 16384, 0) + F64(6))  // past the grid: left out
      .Add(0x0006, Cell(1, 1, 0) + std::string("\x00\x00\x00\x00\x00\x00\xFF\xFF", 8) +
                       std::string(8, '\0'))
      .Add(0x0207, Biff8String(u"late text"));  // B2's text, after the order broke
  const auto result = ReadStream(OneSheetStream(Styles({}, {}), cells));
  ASSERT_TRUE(result.ok()) << result.error.description;
  const model::Sheet& sheet = result.workbook->sheet(0);
  std::vector<std::string> order;
  for (const auto& [row, row_cells] : sheet.rows()) {
    for (const model::Cell& c : row_cells) {
      order.push_back(model::CellReference(row, c.column) + "=" +
                      Text(*result.workbook, row, c.column));
    }
  }
  EXPECT_EQ(order, (std::vector<std::string>{"B1=3", "F1=2", "KO1=5", "B2=late text", "C5=4"}));
  EXPECT_EQ(sheet.CellCount(), 5u);
  const model::UsedRange used = sheet.used_range();
  EXPECT_EQ(std::vector<int>({used.first_row, used.first_column, used.last_row, used.last_column}),
            std::vector<int>({1, 2, 5, 301}));
}

TEST(BiffRecords, ExcelFiveTextIsReadInTheFilesCodePage) {
  StreamBuilder globals;
  globals.Add(0x0042, Le16(1251));
  globals.Add(0x0022, Le16(1));  // the 1904 date system
  globals.Add(0x041E, Le16(164) + std::string("\x0A") + "yyyy-mm-dd");
  globals.Add(0x00E0, Le16(0) + Le16(0) + std::string(12, '\0'));
  globals.Add(0x00E0, Le16(0) + Le16(164) + std::string(12, '\0'));
  StreamBuilder cells;
  cells
      .Add(0x0204, Cell(0, 0, 0) + Le16(6) + "\xCF\xF0\xE8\xE2\xE5\xF2")  // "Привет"
      .Add(0x00D6, Cell(1, 0, 0) + Le16(2) + "\xC0\xC1" + std::string("\x01\x00\x00", 3))
      .Add(0x0203, Cell(2, 0, 1) + F64(0));
  const std::u16string name = u"\u041B\u0438\u0441\u04421";  // "Лист1" as the page encodes it
  std::string stream = OneSheetStream(globals, cells,
                                      u"\xCB\xE8\xF1\xF2"
                                      u"1",
                                      true);
  const auto result = ReadStream(stream);
  ASSERT_TRUE(result.ok()) << result.error.description;
  const model::Workbook& book = *result.workbook;
  EXPECT_EQ(book.sheet(0).name(), name);
  EXPECT_EQ(Text(book, 1, 1), "Привет");
  EXPECT_EQ(Text(book, 2, 1), "АБ");
  EXPECT_TRUE(book.date1904());
  EXPECT_EQ(Text(book, 3, 1), "1904-01-01");
}

TEST(BiffRecords, CountsAndOffsetsThatLieCostNoMoreThanTheFile) {
  // A table claiming four billion strings and holding one; a string claiming 65,535
  // characters and holding three.
  StreamBuilder globals = Styles({}, {});
  globals.Add(0x00FC, Le32(0xFFFFFFFF) + Le32(0xFFFFFFFF) + Biff8String(u"one") + Le16(65535) +
                          std::string(1, '\0') + "abc");
  StreamBuilder cells;
  cells.Add(0x00FD, Cell(0, 0, 0) + Le32(0)).Add(0x00FD, Cell(0, 1, 0) + Le32(1));
  std::string stream = OneSheetStream(globals, cells);
  // A second BOUNDSHEET naming the same substream: its cells are not read twice.
  const std::size_t boundsheet = stream.find(std::string("\x85\x00", 2));
  ASSERT_NE(boundsheet, std::string::npos);
  const std::size_t length = static_cast<unsigned char>(stream[boundsheet + 2]);
  std::string copy = stream.substr(boundsheet, 4 + length);
  copy.replace(4 + 6 + 2, 1, "E");  // named "Eata"
  const std::size_t shift = copy.size();
  stream.insert(boundsheet + 4 + length, copy);
  // Both offsets move by the inserted record.
  for (std::size_t at : {boundsheet, boundsheet + shift}) {
    std::uint32_t offset = 0;
    for (int i = 0; i < 4; ++i)
      offset |= std::uint32_t(static_cast<unsigned char>(stream[at + 4 + i])) << (8 * i);
    stream.replace(at + 4, 4, Le32(offset + static_cast<std::uint32_t>(shift)));
  }
  const auto result = ReadStream(stream);
  ASSERT_TRUE(result.ok()) << result.error.description;
  const model::Workbook& book = *result.workbook;
  ASSERT_EQ(book.SheetCount(), 2u);
  EXPECT_EQ(Text(book, 1, 1), "one");
  EXPECT_EQ(Text(book, 1, 2), "abc");
  EXPECT_EQ(book.sheet(0).CellCount() + book.sheet(1).CellCount(), 2u);
}

TEST(BiffRecords, DamagedContainersAreRefusedWithTheirCause) {
  const std::string good = CompoundFileOf({{u"Workbook", OneSheetStream(Styles({}, {}), {})}});
  ASSERT_TRUE(ReadLegacyBuffer(good).ok());
  struct Case {
    std::string name;
    std::string bytes;
    std::string reason;
    bool encrypted = false;
    bool not_a_workbook = false;
  };
  std::vector<Case> cases;
  // Sectors 0-7 hold the stream, 8 the directory, 9 the allocation table.
  std::string looping = good;
  looping.replace(512 + 9 * 512 + 8 * 4, 4, Le32(8));  // the directory's sector follows itself
  cases.push_back({"loop", looping, "the file is damaged (a chain of sectors loops)"});
  cases.push_back({"cut in its header", good.substr(0, 300),
                   "the file is damaged (it ends inside its header)"});
  std::string shift = good;
  shift.replace(30, 2, Le16(20));
  cases.push_back({"sector size", shift, "the file is damaged (its sector size is not valid)"});
  cases.push_back({"no workbook stream", CompoundFileOf({{u"WordDocument", std::string(10, 'x')}}),
                   "it is a compound file without a workbook in it", false, true});
  cases.push_back({"encrypted package",
                   CompoundFileOf({{u"EncryptionInfo", "x"}, {u"EncryptedPackage", "y"}}),
                   "This workbook is protected by a password", true});
  cases.push_back({"not a workbook stream", CompoundFileOf({{u"Workbook", std::string(5000, 'z')}}),
                   "the file is damaged (its workbook stream does not begin like a workbook)"});
  cases.push_back({"Excel 4",
                   std::string("\x09\x04\x06\x00\x00\x00\x10\x00", 8) + std::string(64, '\0'),
                   "it is an Excel 2.1 to 4.0 workbook, which this program does not read"});
  for (const Case& c : cases) {
    const auto result = ReadLegacyBuffer(c.bytes);
    ASSERT_FALSE(result.ok()) << c.name;
    EXPECT_EQ(result.error.description, c.reason) << c.name;
    EXPECT_EQ(result.error.encrypted, c.encrypted) << c.name;
    EXPECT_EQ(result.error.not_a_workbook, c.not_a_workbook) << c.name;
  }
}

}  // namespace
}  // namespace brintova::engine::legacy
