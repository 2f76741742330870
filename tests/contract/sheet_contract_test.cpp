// Sheets and cells: Sheets, Sheets.Add, Worksheets, UsedRange, Cells with Text, Value and
// NumberFormat, and where a walk may skip to, on every server.
#include <map>
#include <utility>

#include "contract/contract_servers.h"
#include "platform/text.h"

namespace brintova::contract {
namespace {

using Names = std::vector<std::u16string>;
using Texts = std::map<std::pair<std::int32_t, std::int32_t>, std::u16string>;

class SheetContract : public ServerContract {
 protected:
  std::shared_ptr<Workbook> OpenBook() { return Open(*NewInstance(), kBook); }
  // An empty worksheet to write on.
  std::shared_ptr<Sheet> BlankSheet() { return NewInstance()->Workbooks().Add()->Sheets().Item(1); }
};

bool Precedes(CellPosition a, CellPosition b) {
  return a.row < b.row || (a.row == b.row && a.column < b.column);
}

CellPosition After(CellPosition cell, CellPosition end) {
  return cell.column < end.column ? CellPosition{cell.row, cell.column + 1}
                                  : CellPosition{cell.row + 1, 1};
}

// Walks rows 1..end.row and columns 1..end.column as the extraction does, asking the sheet
// where content may lie next, and returns the non-empty texts reached. Every answer must lie
// at or after the position asked about and inside the bounds, and every position skipped,
// including those after the last answer, must show nothing.
Texts Walk(Sheet& sheet, CellPosition end) {
  Texts reached;
  CellPosition at{1, 1};
  while (at.row <= end.row) {
    const std::optional<CellPosition> next = sheet.NextCellWithContent(at, end);
    const CellPosition stop = next ? *next : CellPosition{end.row + 1, 1};
    if (next) {
      EXPECT_FALSE(Precedes(*next, at)) << "asked from row " << at.row << ", column " << at.column;
      EXPECT_LE(next->row, end.row);
      EXPECT_GE(next->column, 1);
      EXPECT_LE(next->column, end.column);
      if (Precedes(*next, at) || next->row > end.row || next->column < 1 ||
          next->column > end.column) {
        return reached;
      }
    }
    for (CellPosition skipped = at; Precedes(skipped, stop); skipped = After(skipped, end)) {
      EXPECT_EQ(sheet.CellText(skipped), u"")
          << "skipped row " << skipped.row << ", column " << skipped.column;
    }
    if (!next) break;
    std::u16string text = sheet.CellText(*next);
    if (!text.empty()) reached[{next->row, next->column}] = std::move(text);
    at = After(*next, end);
  }
  return reached;
}

TEST_P(SheetContract, SheetsHoldEverySheetInTabOrderChartsIncluded) {
  auto book = OpenBook();
  auto& sheets = book->Sheets();
  EXPECT_EQ(sheets.Count(), 5);
  EXPECT_EQ(SheetNames(*book), (Names{u"Data", u"Chart1", u"Secret", u"FromC5", u"Empty"}));
  EXPECT_EQ(sheets.Item(1)->Kind(), SheetKind::kWorksheet);
  EXPECT_EQ(sheets.Item(2)->Kind(), SheetKind::kChart);
  // The same sheet each time, so that it can be passed back as "before".
  EXPECT_EQ(sheets.Item(1).get(), sheets.Item(1).get());
  EXPECT_FALSE(FailureOf([&] { sheets.Item(0); }).empty());
  EXPECT_FALSE(FailureOf([&] { sheets.Item(6); }).empty());
}

TEST_P(SheetContract, WorksheetsLeaveOutChartSheetsAndKeepHiddenOnes) {
  auto book = OpenBook();
  EXPECT_EQ(NamesOf(book->Worksheets()), (Names{u"Data", u"Secret", u"FromC5", u"Empty"}));
  for (const auto& sheet : book->Worksheets()) EXPECT_EQ(sheet->Kind(), SheetKind::kWorksheet);
}

TEST_P(SheetContract, SheetsAddBeforeTheFirstPlacesANewEmptyWorksheetFirst) {
  auto book = OpenBook();
  auto& sheets = book->Sheets();
  auto added = sheets.Add(sheets.Item(1));
  EXPECT_EQ(added->Name(), u"Sheet1");
  EXPECT_EQ(sheets.Item(1).get(), added.get());
  EXPECT_EQ(sheets.Count(), 6);
  EXPECT_EQ(added->UsedRangeEnd(), (CellPosition{1, 1}));
  EXPECT_EQ(added->Cells(1, 1).Text(), u"");
  EXPECT_EQ(NamesOf(book->Worksheets()),
            (Names{u"Sheet1", u"Data", u"Secret", u"FromC5", u"Empty"}));
  // The sheets that were there keep their content.
  EXPECT_EQ(sheets.Item(2)->Cells(1, 1).Text(), u"alpha");
}

TEST_P(SheetContract, SheetsAddBeforeALaterSheetPlacesItThere) {
  auto book = OpenBook();
  auto& sheets = book->Sheets();
  auto added = sheets.Add(sheets.Item(3));
  EXPECT_EQ(SheetNames(*book),
            (Names{u"Data", u"Chart1", u"Sheet1", u"Secret", u"FromC5", u"Empty"}));
  EXPECT_EQ(sheets.Item(3).get(), added.get());

  // A sheet of another workbook is no place to insert before.
  auto other = NewInstance()->Workbooks().Add();
  EXPECT_FALSE(FailureOf([&] { sheets.Add(other->Sheets().Item(1)); }).empty());
  EXPECT_EQ(sheets.Count(), 6);
}

TEST_P(SheetContract, SheetsAddNamesTheFirstSheetNNotTaken) {
  auto book = NewInstance()->Workbooks().Add();
  auto& sheets = book->Sheets();
  EXPECT_EQ(sheets.Add(sheets.Item(1))->Name(), u"Sheet2");
  EXPECT_EQ(sheets.Add(sheets.Item(1))->Name(), u"Sheet3");
  EXPECT_EQ(SheetNames(*book), (Names{u"Sheet3", u"Sheet2", u"Sheet1"}));
}

TEST_P(SheetContract, SheetsAddTreatsANameTakenInAnotherCaseAsTaken) {
  auto book = Open(*NewInstance(), kSheetNames);
  auto& sheets = book->Sheets();
  EXPECT_EQ(sheets.Add(sheets.Item(1))->Name(), u"Sheet3");
  EXPECT_EQ(sheets.Add(sheets.Item(1))->Name(), u"Sheet5");
  EXPECT_EQ(SheetNames(*book), (Names{u"Sheet5", u"Sheet3", u"Sheet1", u"SHEET2", u"Sheet4"}));
}

TEST_P(SheetContract, SetNameRenamesAnAddedSheetAndRefusesNamesASheetCannotHave) {
  auto book = OpenBook();
  auto& sheets = book->Sheets();
  auto added = sheets.Add(sheets.Item(1));
  added->SetName(u"Data results");
  EXPECT_EQ(added->Name(), u"Data results");
  EXPECT_EQ(SheetNames(*book),
            (Names{u"Data results", u"Data", u"Chart1", u"Secret", u"FromC5", u"Empty"}));
  added->SetName(u"DATA RESULTS");  // its own name in other letters is no clash
  const std::u16string longest(31, u'x');
  added->SetName(longest);
  for (const std::u16string& bad :
       {std::u16string(u"DATA"), std::u16string(u"chart1"), std::u16string(), longest + u"x",
        std::u16string(u"a:b"), std::u16string(u"a/b"), std::u16string(u"[a]"),
        std::u16string(u"'quoted'")}) {
    EXPECT_FALSE(FailureOf([&] { added->SetName(bad); }).empty()) << ToUtf8(bad);
  }
  EXPECT_EQ(added->Name(), longest) << "a refused name changes nothing";
}

TEST_P(SheetContract, UsedRangeEndIsTheLastRowAndColumnAsAbsoluteNumbers) {
  auto book = OpenBook();
  // D3 is the last column; B4 has a format and no value and is the last row.
  EXPECT_EQ(SheetNamed(*book, u"Data")->UsedRangeEnd(), (CellPosition{4, 4}));
  // C5:E9 ends at row 9, column 5, not at its count of 5 rows and 3 columns.
  EXPECT_EQ(SheetNamed(*book, u"FromC5")->UsedRangeEnd(), (CellPosition{9, 5}));
  EXPECT_EQ(SheetNamed(*book, u"Secret")->UsedRangeEnd(), (CellPosition{1, 1}));
  EXPECT_EQ(SheetNamed(*book, u"Empty")->UsedRangeEnd(), (CellPosition{1, 1}));
}

TEST_P(SheetContract, UsedRangeGrowsWithWrittenValuesAndFormats) {
  auto sheet = BlankSheet();
  sheet->Cells(7, 4).SetNumberFormat(u"@");
  EXPECT_EQ(sheet->UsedRangeEnd(), (CellPosition{7, 4}));
  sheet->Cells(10, 2).SetValue(u"x");
  EXPECT_EQ(sheet->UsedRangeEnd(), (CellPosition{10, 4}));
  sheet->Cells(1, 1).SetValue(u"y");
  EXPECT_EQ(sheet->UsedRangeEnd(), (CellPosition{10, 4}));
}

TEST_P(SheetContract, ChartSheetsHaveNoUsedRangeAndNoCells) {
  auto chart = SheetNamed(*OpenBook(), u"Chart1");
  EXPECT_FALSE(FailureOf([&] { chart->UsedRangeEnd(); }).empty());
  EXPECT_FALSE(FailureOf([&] { chart->Cells(1, 1).Text(); }).empty());
  EXPECT_FALSE(FailureOf([&] { chart->Cells(1, 1).SetValue(u"x"); }).empty());
  EXPECT_FALSE(FailureOf([&] { chart->Cells(1, 1).SetNumberFormat(u"@"); }).empty());
}

TEST_P(SheetContract, TextIsTheDisplayedTextAndEmptyForAnEmptyCell) {
  auto book = OpenBook();
  auto data = SheetNamed(*book, u"Data");
  EXPECT_EQ(data->Cells(1, 1).Text(), u"alpha");
  EXPECT_EQ(data->Cells(1, 2).Text(), u"1,234.50");  // a number under "#,##0.00"
  EXPECT_EQ(data->Cells(2, 1).Text(), u"3");         // a formula's cached result
  EXPECT_EQ(data->Cells(2, 2).Text(), u"");          // no cell
  EXPECT_EQ(data->Cells(4, 2).Text(), u"");          // a format and no value
  EXPECT_EQ(data->Cells(1048576, 16384).Text(), u"");
  EXPECT_EQ(SheetNamed(*book, u"Secret")->Cells(1, 1).Text(), u"hidden text");
  EXPECT_EQ(SheetNamed(*book, u"FromC5")->Cells(5, 3).Text(), u"ABCDEF");
}

TEST_P(SheetContract, CellsOutsideTheGridFail) {
  auto sheet = BlankSheet();
  for (const CellPosition cell :
       {CellPosition{0, 1}, CellPosition{1, 0}, CellPosition{1048577, 1}, CellPosition{1, 16385}}) {
    SCOPED_TRACE(::testing::PrintToString(cell));
    EXPECT_FALSE(FailureOf([&] { sheet->Cells(cell.row, cell.column).Text(); }).empty());
    EXPECT_FALSE(FailureOf([&] { sheet->Cells(cell.row, cell.column).SetValue(u"x"); }).empty());
    EXPECT_FALSE(
        FailureOf([&] { sheet->Cells(cell.row, cell.column).SetNumberFormat(u"@"); }).empty());
  }
}

TEST_P(SheetContract, ValueIsStoredAsTextExactlyAsGiven) {
  auto sheet = BlankSheet();
  const std::vector<std::u16string> values = {u"00123", u"1-2",       u"=A1",    u"1E5",
                                              u"TRUE",  u"#N/A",      u"3/4",    u" 7 ",
                                              u"12%",   u"Caf\u00e9", u"'quoted"};
  std::int32_t row = 1;
  for (const auto& value : values) {
    if (GetParam().retypes_values) sheet->Cells(row, 2).SetNumberFormat(u"@");
    sheet->Cells(row++, 2).SetValue(value);
  }
  row = 1;
  for (const auto& value : values) EXPECT_EQ(sheet->Cells(row++, 2).Text(), value);
}

TEST_P(SheetContract, ValueReplacesWhatTheCellHeld) {
  auto data = SheetNamed(*OpenBook(), u"Data");
  if (GetParam().retypes_values) {
    for (const auto& [row, column] : {std::pair{1, 2}, std::pair{2, 1}}) {
      data->Cells(row, column).SetNumberFormat(u"@");
    }
  }
  data->Cells(1, 1).SetValue(u"replaced");
  data->Cells(1, 2).SetValue(u"00123");  // the cell keeps "#,##0.00"; the text stays text
  data->Cells(2, 1).SetValue(u"=1+1");
  EXPECT_EQ(data->Cells(1, 1).Text(), u"replaced");
  EXPECT_EQ(data->Cells(1, 2).Text(), u"00123");
  EXPECT_EQ(data->Cells(2, 1).Text(), u"=1+1");
  EXPECT_EQ(data->UsedRangeEnd(), (CellPosition{4, 4}));
}

TEST_P(SheetContract, NumberFormatTextThenValueKeepsTheText) {
  auto sheet = BlankSheet();
  sheet->Cells(2, 2).SetNumberFormat(u"@");
  EXPECT_EQ(sheet->Cells(2, 2).Text(), u"");
  sheet->Cells(2, 2).SetValue(u"00123");
  EXPECT_EQ(sheet->Cells(2, 2).Text(), u"00123");
  sheet->Cells(2, 2).SetNumberFormat(u"@");  // a second time changes nothing
  EXPECT_EQ(sheet->Cells(2, 2).Text(), u"00123");
}

TEST_P(SheetContract, AWalkReachesEveryTextInOrderAndSkipsOnlyEmptyPositions) {
  auto book = OpenBook();
  auto data = SheetNamed(*book, u"Data");
  EXPECT_EQ(Walk(*data, data->UsedRangeEnd()), (Texts{{{1, 1}, u"alpha"},
                                                      {{1, 2}, u"1,234.50"},
                                                      {{2, 1}, u"3"},
                                                      {{2, 3}, u"gamma"},
                                                      {{3, 4}, u"delta"}}));
  auto from_c5 = SheetNamed(*book, u"FromC5");
  EXPECT_EQ(Walk(*from_c5, from_c5->UsedRangeEnd()),
            (Texts{{{5, 3}, u"ABCDEF"}, {{9, 5}, u"xyz"}}));
  auto empty = SheetNamed(*book, u"Empty");
  EXPECT_EQ(Walk(*empty, empty->UsedRangeEnd()), Texts{});
}

TEST_P(SheetContract, AWalkStaysInsideTheBoundsItIsGiven) {
  auto data = SheetNamed(*OpenBook(), u"Data");
  // Columns right of 2 and rows below 2 are outside: gamma and delta are not reached.
  EXPECT_EQ(Walk(*data, {2, 2}),
            (Texts{{{1, 1}, u"alpha"}, {{1, 2}, u"1,234.50"}, {{2, 1}, u"3"}}));
  EXPECT_EQ(Walk(*data, {3, 1}), (Texts{{{1, 1}, u"alpha"}, {{2, 1}, u"3"}}));
}

TEST_P(SheetContract, AWalkReachesWrittenCells) {
  auto book = OpenBook();
  auto sheet = book->Sheets().Add(book->Sheets().Item(1));
  sheet->Cells(3, 2).SetValue(u"b3");
  sheet->Cells(1, 5).SetValue(u"e1");
  sheet->Cells(3, 1).SetNumberFormat(u"@");
  EXPECT_EQ(Walk(*sheet, sheet->UsedRangeEnd()), (Texts{{{1, 5}, u"e1"}, {{3, 2}, u"b3"}}));
}

INSTANTIATE_TEST_SUITE_P(Servers, SheetContract, ::testing::ValuesIn(ServersUnderTest()),
                         ServerName);

}  // namespace
}  // namespace brintova::contract
