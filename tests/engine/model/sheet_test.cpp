// The sparse cell store: placement in any order, replacement, the used range and the walk's
// next-cell lookup.
#include "engine/model/sheet.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "engine/model/workbook.h"
#include "platform/text.h"

namespace brintova::engine::model {
namespace {

TEST(Sheet, KeepsCellsSortedWhateverTheOrderOfArrival) {
  Sheet sheet(u"S", SheetKind::kWorksheet);
  sheet.Append(3, Cell::Number(2, 32, 0));
  sheet.Append(3, Cell::Number(1, 31, 0));  // out of order within the row
  sheet.Append(1, Cell::Number(5, 15, 0));  // an earlier row after a later one
  sheet.Put(3, Cell::Number(2, 99, 0));     // replaces, does not add
  EXPECT_EQ(sheet.CellCount(), 3u);
  ASSERT_NE(sheet.Find(3, 1), nullptr);
  EXPECT_EQ(sheet.Find(3, 1)->number, 31);
  EXPECT_EQ(sheet.Find(3, 2)->number, 99);
  EXPECT_EQ(sheet.Find(1, 5)->number, 15);
  EXPECT_EQ(sheet.Find(2, 1), nullptr);
  EXPECT_EQ(sheet.Find(3, 3), nullptr);
  std::vector<std::int32_t> columns;
  for (const Cell& c : sheet.RowOf(3)) columns.push_back(c.column);
  EXPECT_EQ(columns, (std::vector<std::int32_t>{1, 2}));
}

TEST(Sheet, WritesInAnyOrderAfterRowMajorOnesKeepEveryCellOnceInItsPlace) {
  Sheet sheet(u"S", SheetKind::kWorksheet);
  for (std::int32_t row = 2; row <= 4; ++row) {
    for (std::int32_t column = 1; column <= 3; ++column) {
      sheet.Put(row, Cell::Empty(column, 5));                      // the format first,
      sheet.Put(row, Cell::Number(column, row * 10 + column, 5));  // then the value
    }
  }
  sheet.Put(4, Cell::Number(3, 99, 0));  // replaces the last cell
  sheet.Put(4, Cell::Number(2, 98, 0));  // replaces one before it in the last row
  sheet.Put(3, Cell::Number(5, 35, 0));  // past the end of an earlier row
  sheet.Put(1, Cell::Number(2, 12, 0));  // a row before all others
  sheet.Put(4, Cell::Number(1, 97, 0));
  sheet.Put(6, Cell::Number(1, 61, 0));  // a row after a gap
  EXPECT_EQ(sheet.CellCount(), 12u);
  EXPECT_EQ(sheet.Find(2, 2)->number, 22);
  EXPECT_EQ(sheet.Find(4, 1)->number, 97);
  EXPECT_EQ(sheet.Find(4, 2)->number, 98);
  EXPECT_EQ(sheet.Find(4, 3)->number, 99);
  EXPECT_EQ(sheet.Find(3, 5)->number, 35);
  EXPECT_EQ(sheet.Find(1, 2)->number, 12);
  EXPECT_EQ(sheet.Find(6, 1)->number, 61);
  EXPECT_EQ(sheet.Find(5, 1), nullptr);
  std::vector<std::int32_t> rows;
  for (const auto& [row, cells] : sheet.rows()) {
    rows.push_back(row);
    for (std::size_t i = 1; i < cells.size(); ++i) {
      EXPECT_LT(cells[i - 1].column, cells[i].column) << "row " << row;
    }
  }
  EXPECT_EQ(rows, (std::vector<std::int32_t>{1, 2, 3, 4, 6}));
  const UsedRange used = sheet.used_range();
  EXPECT_EQ(used.first_row, 1);
  EXPECT_EQ(used.last_row, 6);
  EXPECT_EQ(used.first_column, 1);
  EXPECT_EQ(used.last_column, 5);
}

// The store remembers the cell it found or stored last; a row that grows or moves must not
// leave it pointing at a cell that is no longer there.
TEST(Sheet, CellsFoundOrStoredLastAreLookedUpAfreshAfterTheirRowChanges) {
  Sheet sheet(u"S", SheetKind::kWorksheet);
  sheet.Append(2, Cell::Number(3, 23, 0));
  sheet.Append(2, Cell::Number(5, 25, 0));
  ASSERT_EQ(sheet.NextWithValue({2, 4}, {2, 10}), (CellPos{2, 5}));
  sheet.Put(2, Cell::Number(1, 21, 0));  // moves the row's cells (and the row, once it is full)
  sheet.Put(2, Cell::Number(5, 55, 0));
  EXPECT_EQ(sheet.Find(2, 5)->number, 55);
  EXPECT_EQ(sheet.Find(2, 1)->number, 21);

  sheet.Put(2, Cell::Number(9, 29, 0));
  sheet.Put(2, Cell::Number(4, 24, 0));  // before the cell stored last
  sheet.Put(2, Cell::Number(9, 99, 0));
  EXPECT_EQ(sheet.CellCount(), 5u);
  EXPECT_EQ(sheet.Find(2, 4)->number, 24);
  EXPECT_EQ(sheet.Find(2, 5)->number, 55);
  EXPECT_EQ(sheet.Find(2, 9)->number, 99);

  sheet.ClearCells();
  EXPECT_EQ(sheet.Find(2, 9), nullptr);
  sheet.Append(2, Cell::Number(9, 1, 0));
  EXPECT_EQ(sheet.Find(2, 9)->number, 1);
  EXPECT_EQ(sheet.CellCount(), 1u);
}

// Writes in every order (rows across blocks, columns backwards, rows that outgrow a chunk and
// move) against a plain map of the same writes: the same cells come back through Find, the
// row iteration and NextWithValue.
TEST(Sheet, KeepsWhatAPlainMapKeepsWhateverTheOrderOfWrites) {
  Sheet sheet(u"S", SheetKind::kWorksheet);
  std::map<std::pair<std::int32_t, std::int32_t>, Cell> expected;
  std::mt19937 random(7);
  const auto put = [&](std::int32_t row, std::int32_t column, bool value) {
    const Cell cell = value ? Cell::Number(column, row * 1000.0 + column, 0)
                            : Cell::Empty(column, static_cast<std::uint32_t>(row));
    sheet.Put(row, cell);
    expected[{row, column}] = cell;
  };
  for (std::int32_t row = 1; row <= 40; ++row) {  // a reader's order, rows of up to 70 cells
    for (std::int32_t column = 1; column <= row * 7 % 71; ++column) put(row, column, true);
  }
  for (int i = 0; i < 20000; ++i) {  // then anywhere, far rows and the grid's edges included
    const std::int32_t row = i % 97 == 0 ? kMaxRows - static_cast<std::int32_t>(random() % 40)
                                         : static_cast<std::int32_t>(random() % 120) + 1;
    const std::int32_t column =
        i % 89 == 0 ? kMaxColumns : static_cast<std::int32_t>(random() % 90) + 1;
    put(row, column, random() % 4 != 0);
  }
  for (std::int32_t row = 200; row >= 150; --row) put(row, 3, true);  // rows backwards

  ASSERT_EQ(sheet.CellCount(), expected.size());
  auto next = expected.begin();
  for (const auto& [row, cells] : sheet.rows()) {
    ASSERT_FALSE(cells.empty()) << "row " << row;
    for (const Cell& cell : cells) {
      ASSERT_NE(next, expected.end());
      ASSERT_EQ(next->first, std::make_pair(row, static_cast<std::int32_t>(cell.column)));
      ASSERT_EQ(cell.type, next->second.type);
      ASSERT_EQ(cell.style, next->second.style);
      if (cell.HasValue()) {
        ASSERT_EQ(cell.number, next->second.number);
      }
      ++next;
    }
  }
  EXPECT_EQ(next, expected.end());
  for (std::int32_t row = 1; row <= 201; ++row) {
    for (std::int32_t column = 1; column <= 91; ++column) {
      const auto it = expected.find({row, column});
      const Cell* found = sheet.Find(row, column);
      ASSERT_EQ(found != nullptr, it != expected.end()) << CellReference(row, column);
      if (found != nullptr) {
        EXPECT_EQ(found->style, it->second.style);
      }
    }
  }
  // The walk's order: every cell with a value, from A1 to the end of the used range.
  const UsedRange used = sheet.used_range();
  std::vector<std::pair<std::int32_t, std::int32_t>> walked, with_value;
  CellPos at{1, 1};
  while (const auto cell = sheet.NextWithValue(at, {used.last_row, used.last_column})) {
    walked.emplace_back(cell->row, cell->column);
    at = {cell->row, cell->column + 1};
  }
  for (const auto& [position, cell] : expected) {
    if (cell.HasValue()) with_value.push_back(position);
  }
  EXPECT_EQ(walked, with_value);
}

TEST(Sheet, UsedRangeCoversValuesAndFormattedEmptyCells) {
  Sheet sheet(u"S", SheetKind::kWorksheet);
  EXPECT_TRUE(sheet.used_range().empty());
  sheet.Append(5, Cell::Number(3, 1, 0));
  sheet.Append(9, Cell::Number(5, 1, 0));
  sheet.Append(12, Cell::Empty(4, 7));  // formatted, no value
  const UsedRange used = sheet.used_range();
  EXPECT_EQ(used.first_row, 5);
  EXPECT_EQ(used.first_column, 3);
  EXPECT_EQ(used.last_row, 12);
  EXPECT_EQ(used.last_column, 5);
}

TEST(Sheet, NextWithValueSkipsEmptyPositionsAndFormattedCells) {
  Sheet sheet(u"S", SheetKind::kWorksheet);
  sheet.Append(1, Cell::Number(1, 1, 0));
  sheet.Append(2, Cell::Empty(2, 3));
  sheet.Append(2, Cell::Number(9, 1, 0));
  sheet.Append(4, Cell::Number(3, 1, 0));
  const CellPos last{4, 5};
  struct Case {
    CellPos from;
    std::optional<CellPos> expected;
  };
  const Case cases[] = {
      {{1, 1}, CellPos{1, 1}},
      {{1, 2}, CellPos{4, 3}},  // B2 is formatted only; I2 lies past the last column
      {{4, 3}, CellPos{4, 3}},
      {{4, 4}, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sheet.NextWithValue(c.from, last), c.expected)
        << "from row " << c.from.row << " column " << c.from.column;
  }
  EXPECT_EQ(sheet.NextWithValue({1, 2}, {3, 16384}), (CellPos{2, 9}));
  EXPECT_EQ(sheet.NextWithValue({1, 2}, {3, 8}), std::nullopt);
  // Right after the cell found last, within other bounds than the search that found it.
  sheet.Append(2, Cell::Number(12, 1, 0));
  const auto after_i2 = [&](CellPos last_cell) {
    EXPECT_EQ(sheet.NextWithValue({2, 1}, {4, 16384}), (CellPos{2, 9}));
    return sheet.NextWithValue({2, 10}, last_cell);
  };
  EXPECT_EQ(after_i2({4, 16384}), (CellPos{2, 12}));
  EXPECT_EQ(after_i2({1, 16384}), std::nullopt);  // past the last row
  EXPECT_EQ(after_i2({2, 11}), std::nullopt);     // past the last column
  EXPECT_EQ(after_i2({4, 11}), (CellPos{4, 3}));
  EXPECT_EQ(after_i2({4, 2}), std::nullopt);
}

TEST(Cell, ReferencesRoundTripAndNamePositionsPastTheGrid) {
  EXPECT_EQ(ColumnLetters(1), "A");
  EXPECT_EQ(ColumnLetters(26), "Z");
  EXPECT_EQ(ColumnLetters(27), "AA");
  EXPECT_EQ(ColumnLetters(16384), "XFD");
  EXPECT_EQ(ColumnFromLetters("xfd"), 16384);
  EXPECT_EQ(ColumnFromLetters("XFE"), std::nullopt);
  EXPECT_EQ(CellReference(1048576, 16384), "XFD1048576");
  const auto past = ParseCellReference("XFE1");
  ASSERT_TRUE(past);
  EXPECT_EQ(past->column, 16385);
  const auto absolute = ParseCellReference("$C$5");
  ASSERT_TRUE(absolute);
  EXPECT_EQ(absolute->row, 5);
  EXPECT_EQ(absolute->column, 3);
  EXPECT_FALSE(ParseCellReference("5C"));
  EXPECT_FALSE(ParseCellReference("C5x"));
  const auto huge = ParseCellReference("A99999999999999999999999");
  ASSERT_TRUE(huge);
  EXPECT_GT(huge->row, kMaxRows);  // clamped, not wrapped
}

TEST(Workbook, NewSheetNamesTakeTheFirstFreeNumberIgnoringCase) {
  Workbook book;
  EXPECT_EQ(book.NextSheetName(), u"Sheet1");
  book.AddSheet(u"sheet1", SheetKind::kWorksheet);
  book.AddSheet(u"SHEET3", SheetKind::kWorksheet);
  EXPECT_EQ(book.NextSheetName(), u"Sheet2");
  book.InsertSheet(0, book.NextSheetName());
  EXPECT_EQ(book.sheet(0).name(), u"Sheet2");
  EXPECT_EQ(book.NextSheetName(), u"Sheet4");
  EXPECT_TRUE(book.structure_changed());
  EXPECT_TRUE(book.sheet(0).changed());
  EXPECT_FALSE(book.sheet(1).changed());
  EXPECT_TRUE(SameSheetName(u"Ärger", u"äRGER"));
  EXPECT_FALSE(SameSheetName(u"Sheet1", u"Sheet1 "));
}

TEST(Workbook, NewSheetNamesSkipEveryNameTakenInAnyCase) {
  Workbook book;
  for (int n = 1; n <= 300; ++n) {
    book.AddSheet((n % 2 ? u"sheet" : u"SHEET") + ToUtf16(std::to_string(n)),
                  SheetKind::kWorksheet);
  }
  EXPECT_EQ(book.NextSheetName(), u"Sheet301");
  EXPECT_EQ(FoldSheetName(u"Ärger"), FoldSheetName(u"äRGER"));
  EXPECT_NE(FoldSheetName(u"Sheet1"), FoldSheetName(u"Sheet1 "));
}

TEST(StringPool, KeepsALongTextOnceHoweverOftenItIsWritten) {
  StringPool pool;
  const std::u16string long_text(40000, u'x');
  std::u16string other = long_text;
  other.back() = u'y';
  const std::uint32_t first = pool.AddShared(long_text);
  EXPECT_EQ(pool.AddShared(long_text), first);
  const std::uint32_t different = pool.AddShared(other);
  EXPECT_NE(different, first);
  EXPECT_EQ(pool.Get(first), long_text);
  EXPECT_EQ(pool.Get(different), other);
  EXPECT_EQ(pool.CharCount(), 2 * long_text.size());
  // Short texts are not looked up: each is its own string.
  EXPECT_NE(pool.AddShared(u"short"), pool.AddShared(u"short"));
}

// Strings of every length, empty ones and ones longer than a chunk among them, come back as
// they went in across the boundaries of text chunks and of span blocks (room made ahead for some
// of them), and a copy of the pool holds the same.
TEST(StringPool, GivesBackEveryStringAcrossChunks) {
  StringPool pool;
  std::vector<std::u16string> added;
  for (int i = 0; i < 20000; ++i) {
    std::u16string text(static_cast<std::size_t>(i % 7 == 0 ? 0 : (i * 37) % 300), u'a');
    if (!text.empty()) text.back() = static_cast<char16_t>(u'A' + i % 26);
    if (i % 5000 == 4999) text.assign((std::size_t{1} << 20) + 3, static_cast<char16_t>(i));
    added.push_back(text);
    if (i == 1000) pool.Reserve(5000);
    EXPECT_EQ(pool.Add(text), static_cast<std::uint32_t>(i));
  }
  const StringPool copy = pool;
  std::size_t chars = 0;
  for (std::uint32_t i = 0; i < added.size(); ++i) {
    ASSERT_EQ(pool.Get(i), added[i]) << i;
    ASSERT_EQ(copy.Get(i), added[i]) << i;
    chars += added[i].size();
  }
  EXPECT_EQ(pool.CharCount(), chars);
  EXPECT_EQ(copy.Count(), pool.Count());
}

TEST(StyleTable, TextFormatDerivesOneStylePerBaseAndKeepsTheBase) {
  StyleTable styles;
  styles.ClearStyles();
  styles.AddFormat(164, u"0.000");
  const std::uint32_t plain = styles.AddStyle(styles.FormatForId(0));
  const std::uint32_t custom = styles.AddStyle(styles.FormatForId(164));
  const std::uint32_t percent = styles.AddStyle(styles.FormatForId(9));
  styles.MarkOriginal();
  EXPECT_EQ(styles.formats()[styles.Style(percent).number_format].code, u"0%");

  const std::uint32_t text = styles.StyleWithFormat(custom, u"@");
  EXPECT_EQ(styles.StyleWithFormat(custom, u"@"), text);  // found again, not added twice
  EXPECT_NE(styles.StyleWithFormat(plain, u"@"), text);   // another base, another style
  EXPECT_EQ(styles.Style(text).derived_from, custom);
  EXPECT_EQ(styles.formats()[styles.Style(text).number_format].id, 49u);
  EXPECT_TRUE(styles.Format(text).IsText());
  EXPECT_EQ(styles.StyleCount(), styles.original_style_count() + 2);
  // A style index the table does not have reads as the default style.
  EXPECT_TRUE(styles.Format(12345).IsGeneral());
}

TEST(DisplayedText, RendersEachCellTypeThroughItsStyle) {
  Workbook book;
  book.styles().ClearStyles();
  book.styles().AddStyle(book.styles().FormatForId(0));
  const std::uint32_t two_places = book.styles().AddStyle(book.styles().FormatForId(2));
  const std::uint32_t date = book.styles().AddStyle(book.styles().FormatForId(14));
  book.styles().AddFormat(200, u"\"<\"@\">\"");
  const std::uint32_t wrapped = book.styles().AddStyle(book.styles().FormatForId(200));
  book.shared_strings().Add(u"shared");
  Sheet& sheet = book.AddSheet(u"S", SheetKind::kWorksheet);
  const std::uint32_t owned = sheet.strings().Add(u"owned");
  struct Case {
    Cell cell;
    std::u16string expected;
  };
  const Case cases[] = {
      {Cell::Number(1, 1234.5, 0), u"1234.5"},
      {Cell::Number(1, 3.14159, two_places), u"3.14"},
      {Cell::Number(1, 45351, date), u"2/29/2024"},
      {Cell::SharedString(1, 0, 0), u"shared"},
      {Cell::OwnedString(1, owned, wrapped), u"<owned>"},
      {Cell::SharedString(1, 77, 0), u""},  // an index past the table
      {Cell::Boolean(1, true, 0), u"TRUE"},
      {Cell::Error(1, ErrorValue::kDiv0, 0), u"#DIV/0!"},
      {Cell::Empty(1, two_places), u""},
      // Not-a-number and infinity reach the model from loose files; they show as the error a
      // calculation that overflows shows, whatever the format.
      {Cell::Number(1, std::numeric_limits<double>::quiet_NaN(), 0), u"#NUM!"},
      {Cell::Number(1, std::numeric_limits<double>::infinity(), two_places), u"#NUM!"},
      {Cell::Number(1, -std::numeric_limits<double>::infinity(), date), u"#NUM!"},
      {Cell::Number(1, 2.5, StyleTable::kMissingStyle), u"2.5"},  // a style past the table
  };
  std::u16string out = u"left over";
  for (const Case& c : cases) {
    DisplayedText(book, sheet, &c.cell, out);
    EXPECT_EQ(out, c.expected) << "cell type " << static_cast<int>(c.cell.type);
  }
  DisplayedText(book, sheet, nullptr, out);
  EXPECT_EQ(out, u"");
  book.set_date1904(true);
  const Cell day = Cell::Number(1, 0, date);
  DisplayedText(book, sheet, &day, out);
  EXPECT_EQ(out, u"1/1/1904");
}

// The workbook's date system reaches the renderer: only a 1904 workbook shows negative times.
// A format code past the application's 255 characters shows as General.
TEST(DisplayedText, FollowsTheDateSystemAndTreatsOverlongCodesAsGeneral) {
  Workbook book;
  StyleTable& styles = book.styles();
  styles.ClearStyles();
  styles.AddStyle(styles.FormatForId(0));
  styles.AddFormat(164, u"[h]:mm");
  const std::uint32_t elapsed = styles.AddStyle(styles.FormatForId(164));
  styles.AddFormat(165, std::u16string(256, u'0'));
  const std::uint32_t overlong = styles.AddStyle(styles.FormatForId(165));
  styles.AddFormat(166, std::u16string(255, u'0'));
  const std::uint32_t longest = styles.AddStyle(styles.FormatForId(166));
  Sheet& sheet = book.AddSheet(u"S", SheetKind::kWorksheet);
  const Cell negative = Cell::Number(1, -1.5, elapsed);
  std::u16string out;
  DisplayedText(book, sheet, &negative, out);
  EXPECT_EQ(out, u"##########");
  book.set_date1904(true);
  DisplayedText(book, sheet, &negative, out);
  EXPECT_EQ(out, u"-36:00");
  const Cell seven = Cell::Number(1, 7, overlong);
  DisplayedText(book, sheet, &seven, out);
  EXPECT_EQ(out, u"7");
  const Cell padded = Cell::Number(1, 7, longest);
  DisplayedText(book, sheet, &padded, out);
  EXPECT_EQ(out, std::u16string(254, u'0') + u"7");
}

}  // namespace
}  // namespace brintova::engine::model
