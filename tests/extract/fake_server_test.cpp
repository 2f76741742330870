// The fake server and the recording wrapper are what every run test stands on; these check
// that they keep the port's promises and that the recording reports what really happened.
#include "fakes/fake_server.h"

#include <gtest/gtest.h>

#include <random>

#include "fakes/recording_server.h"
#include "platform/text.h"

namespace brintova::testing {
namespace {

TEST(At, ReadsA1References) {
  EXPECT_EQ(At("A1"), (CellPosition{1, 1}));
  EXPECT_EQ(At("AA10"), (CellPosition{10, 27}));
  EXPECT_EQ(At("XFD1048576"), (CellPosition{1048576, 16384}));
}

TEST(FakeServer, UsedRangeEndsAtTheLastCellAndDefaultsToA1) {
  FakeServer server;
  server.AddFile(u"/a.xlsx",
                 {Worksheet(u"Data", {{"C5", u"x"}, {"B9", u"y"}}), Worksheet(u"Empty")});
  auto book = server.CreateObject(u"Excel.Application")->Workbooks().Open(u"/a.xlsx");
  EXPECT_EQ(book->Sheets().Item(1)->UsedRangeEnd(), (CellPosition{9, 3}));
  auto empty = book->Sheets().Item(2);
  EXPECT_EQ(empty->UsedRangeEnd(), (CellPosition{1, 1}));
  empty->Cells(4, 2).SetValue(u"");  // an empty string written still uses the cell
  EXPECT_EQ(empty->UsedRangeEnd(), (CellPosition{4, 2}));
  empty->Cells(2, 7).SetNumberFormat(u"@");
  EXPECT_EQ(empty->UsedRangeEnd(), (CellPosition{4, 7}));
  empty->Cells(1, 1).SetValue(u"00123");
  EXPECT_EQ(empty->Cells(1, 1).Text(), u"00123") << "a value is stored exactly as text";
  EXPECT_THROW(empty->Cells(0, 1).Text(), Failure);
  EXPECT_THROW(empty->Cells(1, 16385).SetValue(u"x"), Failure);
}

TEST(FakeServer, NewSheetsTakeTheFirstFreeNameAndWorksheetsLeaveChartsOut) {
  FakeServer server;
  server.AddFile(u"/a.xlsx", {ChartSheet(u"Chart1"), Worksheet(u"Sheet2")});
  auto book = server.CreateObject(u"Excel.Application")->Workbooks().Open(u"/a.xlsx");
  auto chart = book->Sheets().Item(1);
  EXPECT_EQ(book->Sheets().Add(chart)->Name(), u"Sheet1");
  EXPECT_EQ(book->Sheets().Add(book->Sheets().Item(3))->Name(), u"Sheet3");
  std::vector<std::u16string> names;
  for (const auto& sheet : book->Worksheets()) names.push_back(sheet->Name());
  EXPECT_EQ(names, (std::vector<std::u16string>{u"Sheet1", u"Sheet3", u"Sheet2"}));
  EXPECT_EQ(book->Sheets().Count(), 4);
  EXPECT_THROW(chart->UsedRangeEnd(), Failure);
  EXPECT_THROW(chart->Cells(1, 1).Text(), Failure);
  EXPECT_THROW(book->Sheets().Item(5), Failure);

  auto added = server.CreateObject(u"Excel.Application")->Workbooks().Add();
  EXPECT_EQ(added->Name(), u"Book1");
  EXPECT_EQ(added->Sheets().Count(), 1);
  EXPECT_EQ(added->Sheets().Item(1)->Name(), u"Sheet1");
}

TEST(FakeServer, OpensCopiesOfRegisteredFilesOnlyAndFailsOnOthers) {
  FakeServer server;
  server.AddFile(u"C:\\in\\a.xlsx", {Worksheet(u"Data", {{"A1", u"x"}})});
  server.AddUnreadableFile(u"C:\\in\\locked.xlsx", Failure(u"The file is locked."));
  auto app = server.CreateObject(u"Excel.Application");
  auto first = app->Workbooks().Open(u"C:\\in\\a.xlsx");
  first->Sheets().Item(1)->Cells(1, 1).SetValue(u"changed");
  auto second = server.CreateObject(u"Excel.Application")->Workbooks().Open(u"C:\\in\\a.xlsx");
  EXPECT_EQ(second->Sheets().Item(1)->Cells(1, 1).Text(), u"x");
  EXPECT_EQ(first->Name(), u"a.xlsx");
  EXPECT_EQ(first->FullName(), u"C:\\in\\a.xlsx");
  EXPECT_EQ(app->Workbooks().Item(app->Workbooks().Count()).get(), first.get());
  try {
    app->Workbooks().Open(u"C:\\in\\b.xlsx");
    ADD_FAILURE();
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.description(), u"File not found: C:\\in\\b.xlsx");
  }
  EXPECT_THROW(app->Workbooks().Open(OpenArguments{u"C:\\in\\locked.xlsx", true}), Failure);
  EXPECT_EQ(app->Workbooks().Count(), 1);
}

TEST(FakeServer, QuitMakesEveryFurtherCallFail) {
  FakeServer server;
  server.AddFile(u"/a.xlsx", {Worksheet(u"Data")});
  auto app = server.CreateObject(u"Excel.Application");
  auto book = app->Workbooks().Open(u"/a.xlsx");
  auto sheet = book->Sheets().Item(1);
  app->Quit();
  EXPECT_THROW(app->Value(), Failure);
  EXPECT_THROW(app->Workbooks().Count(), Failure);
  EXPECT_THROW(app->SetVisible(true), Failure);
  EXPECT_THROW(book->Worksheets(), Failure);
  EXPECT_THROW(sheet->Cells(1, 1).Text(), Failure);
  EXPECT_THROW(sheet->Cells(1, 1).SetValue(u"x"), Failure);
}

TEST(FakeServer, GetObjectFindsTheInstanceShownLastThatIsStillOpen) {
  FakeServer server;
  EXPECT_THROW(server.GetObject(u"Excel.Application"), Failure);
  auto a = server.CreateObject(u"Excel.Application");
  auto b = server.CreateObject(u"Excel.Application");
  EXPECT_THROW(server.GetObject(u"Excel.Application"), Failure) << "invisible ones are not";
  b->SetVisible(true);
  a->SetVisible(true);
  EXPECT_EQ(server.GetObject(u"Excel.Application").get(), a.get());
  a->Quit();
  EXPECT_EQ(server.GetObject(u"Excel.Application").get(), b.get());
  EXPECT_THROW(server.GetObject(u"Word.Application"), Failure);
  EXPECT_THROW(server.CreateObject(u"Word.Application"), Failure);
}

TEST(FakeServer, InjectedFailuresSkipThenFailTheGivenNumberOfTimes) {
  FakeServer server;
  server.FailOn("CreateObject", Failure(u"busy"), 1, 2);
  EXPECT_NO_THROW(server.CreateObject(u"Excel.Application"));
  EXPECT_THROW(server.CreateObject(u"Excel.Application"), Failure);
  EXPECT_THROW(server.CreateObject(u"Excel.Application"), Failure);
  EXPECT_NO_THROW(server.CreateObject(u"Excel.Application"));
  EXPECT_EQ(server.calls("CreateObject"), 4);
  EXPECT_EQ(server.instances().size(), 2u);
}

// The fake's answer must agree with a scan of every position, inside any bounds.
TEST(FakeServer, NextCellWithContentAgreesWithAFullScan) {
  std::mt19937 random(7);
  for (int round = 0; round < 50; ++round) {
    FakeServer server;
    FakeSheetContent sheet_content = Worksheet(u"S");
    for (int c = 0, n = static_cast<int>(random() % 10); c < n; ++c) {
      sheet_content.cells.emplace_back(CellPosition{1 + static_cast<std::int32_t>(random() % 9),
                                                    1 + static_cast<std::int32_t>(random() % 9)},
                                       u"x");
    }
    if (round % 3 == 0)
      sheet_content.failing_cells.emplace_back(CellPosition{5, 5}, Failure(u"bad"));
    server.AddFile(u"/s.xlsx", {sheet_content});
    auto sheet =
        server.CreateObject(u"Excel.Application")->Workbooks().Open(u"/s.xlsx")->Sheets().Item(1);
    const CellPosition end{1 + static_cast<std::int32_t>(random() % 9),
                           1 + static_cast<std::int32_t>(random() % 9)};
    for (std::int32_t row = 1; row <= end.row; ++row) {
      for (std::int32_t column = 1; column <= end.column; ++column) {
        std::optional<CellPosition> expected;
        for (std::int32_t r = row, c = column; r <= end.row && !expected; ++r, c = 1) {
          for (; c <= end.column && !expected; ++c) {
            bool has_content = r == 5 && c == 5 && round % 3 == 0;
            for (const auto& [at, text] : sheet_content.cells) {
              has_content = has_content || at == CellPosition{r, c};
            }
            if (has_content) expected = CellPosition{r, c};
          }
        }
        const auto answer = sheet->NextCellWithContent({row, column}, end);
        ASSERT_EQ(answer.has_value(), expected.has_value()) << round << " " << row << "," << column;
        if (expected) {
          EXPECT_EQ(*answer, *expected) << round;
        }
      }
    }
  }
}

TEST(RecordingServer, LogsCallsAndFailuresAndForwardsToTheRightObjects) {
  FakeServer server;
  server.AddFile(u"/a.xlsx", {Worksheet(u"One"), Worksheet(u"Two")});
  RecordingServer recording(server);
  auto app = recording.CreateObject(u"Excel.Application");
  auto book = app->Workbooks().Open(u"/a.xlsx");
  auto added = book->Sheets().Add(book->Sheets().Item(2));
  added->Cells(1, 2).SetValue(u"v");
  EXPECT_THROW(app->Workbooks().Open(u"/missing.xlsx"), Failure);
  EXPECT_THROW(recording.GetObject(u"Excel.Application"), Failure);
  EXPECT_EQ(recording.log, (std::vector<std::string>{
                               "CreateObject Excel.Application -> app1",
                               "app1.Workbooks.Open /a.xlsx",
                               "a.xlsx.Sheets.Item 2",
                               "a.xlsx.Sheets.Add before=Two",
                               "a.xlsx!Sheet1.Cells(1,2).Value=v",
                               "app1.Workbooks.Open /missing.xlsx",
                               "failed: File not found: /missing.xlsx",
                               "GetObject Excel.Application",
                               "failed: ActiveX component can't create object",
                           }));
  const auto& sheets = server.instance(1).workbooks()[0]->sheets();
  ASSERT_EQ(sheets.size(), 3u);
  EXPECT_EQ(sheets[1]->name(), u"Sheet1") << "inserted before the wrapped sheet's own sheet";
  EXPECT_EQ(sheets[1]->stored("B1"), u"v");
  EXPECT_EQ(recording.IndexOf("a.xlsx.Sheets.Item 2"), 2);
  EXPECT_EQ(recording.IndexOf("a.xlsx.Sheets.Item 2", 3), -1);
  EXPECT_EQ(recording.EntriesStartingWith("failed").size(), 2u);
}

}  // namespace
}  // namespace brintova::testing
