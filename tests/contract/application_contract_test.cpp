// Instances and workbooks: CreateObject, GetObject, the default value, Workbooks, Visible and
// Quit, on every server.
#include <algorithm>

#include "contract/contract_servers.h"

namespace brintova::contract {
namespace {

class ApplicationContract : public ServerContract {};

TEST_P(ApplicationContract, CreateObjectGivesANewSeparateInvisibleInstanceEachCall) {
  auto first = NewInstance();
  auto second = NewInstance();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first.get(), second.get());

  Open(*first, kBook);
  first->Workbooks().Add();
  EXPECT_EQ(first->Workbooks().Count(), 2);
  EXPECT_EQ(second->Workbooks().Count(), 0);

  // Neither was made visible, so neither is the running instance.
  EXPECT_FALSE(FailureOf([&] { server().GetObject(kSpreadsheetProgId); }).empty());
}

TEST_P(ApplicationContract, ProgIdsCompareWithoutRegardToCase) {
  auto app = server().CreateObject(u"excel.APPLICATION");
  ASSERT_NE(app, nullptr);
  app->SetVisible(true);
  EXPECT_EQ(server().GetObject(u"EXCEL.Application").get(), app.get());

  EXPECT_FALSE(FailureOf([&] { server().CreateObject(u"Word.Application"); }).empty());
  EXPECT_FALSE(FailureOf([&] { server().GetObject(u"Word.Application"); }).empty());
}

TEST_P(ApplicationContract, GetObjectFailsWhileNoInstanceIsVisible) {
  EXPECT_FALSE(FailureOf([&] { server().GetObject(kSpreadsheetProgId); }).empty());
  auto app = NewInstance();
  EXPECT_FALSE(FailureOf([&] { server().GetObject(kSpreadsheetProgId); }).empty());
  app->SetVisible(true);
  app->SetVisible(false);
  EXPECT_FALSE(FailureOf([&] { server().GetObject(kSpreadsheetProgId); }).empty());
}

// The system's table of running objects decides which of several visible instances it answers
// for a ProgID: the fake and the engine answer the one shown last, the automation server any of
// them. Either way it is a visible one that is still open.
TEST_P(ApplicationContract, GetObjectFindsTheInstanceMostRecentlyMadeVisibleThatIsStillOpen) {
  auto first = NewInstance();
  auto second = NewInstance();
  auto third = NewInstance();  // never shown
  const auto expect_running = [&](const std::shared_ptr<Application>& latest,
                                  std::vector<const Application*> visible) {
    const Application* found = server().GetObject(kSpreadsheetProgId).get();
    if (GetParam().running_instance_is_any_visible) {
      EXPECT_NE(std::find(visible.begin(), visible.end(), found), visible.end());
    } else {
      EXPECT_EQ(found, latest.get());
    }
  };
  second->SetVisible(true);
  first->SetVisible(true);
  expect_running(first, {first.get(), second.get()});

  first->Quit();
  expect_running(second, {second.get()});

  // Hidden and shown again: the most recent once more.
  third->SetVisible(true);
  second->SetVisible(false);
  second->SetVisible(true);
  expect_running(second, {second.get(), third.get()});

  second->Quit();
  expect_running(third, {third.get()});
  third->Quit();
  EXPECT_FALSE(FailureOf([&] { server().GetObject(kSpreadsheetProgId); }).empty());
}

TEST_P(ApplicationContract, DefaultValueIsMicrosoftExcel) {
  EXPECT_EQ(NewInstance()->Value(), u"Microsoft Excel");
}

TEST_P(ApplicationContract, WorkbooksCountFromOneAndTheLastOpenedIsWorkbooksOfCount) {
  auto app = NewInstance();
  auto& books = app->Workbooks();
  EXPECT_EQ(books.Count(), 0);

  auto opened = Open(*app, kBook);
  EXPECT_EQ(books.Count(), 1);
  EXPECT_EQ(books.Item(books.Count()).get(), opened.get());

  auto added = books.Add();
  auto second = Open(*app, kSheetNames);
  ASSERT_EQ(books.Count(), 3);
  EXPECT_EQ(books.Item(1)->Name(), u"contract_book.xlsx");
  EXPECT_EQ(books.Item(2).get(), added.get());
  EXPECT_EQ(books.Item(3).get(), second.get());

  EXPECT_FALSE(FailureOf([&] { books.Item(0); }).empty());
  EXPECT_FALSE(FailureOf([&] { books.Item(4); }).empty());
}

TEST_P(ApplicationContract, AddGivesANewWorkbookWithOneEmptyWorksheetSheet1) {
  auto app = NewInstance();
  auto book = app->Workbooks().Add();
  EXPECT_EQ(book->Name(), u"Book1");
  EXPECT_EQ(book->FullName(), u"Book1");
  ASSERT_EQ(book->Sheets().Count(), 1);
  auto sheet = book->Sheets().Item(1);
  EXPECT_EQ(sheet->Name(), u"Sheet1");
  EXPECT_EQ(sheet->Kind(), SheetKind::kWorksheet);
  EXPECT_EQ(sheet->UsedRangeEnd(), (CellPosition{1, 1}));
  EXPECT_EQ(sheet->Cells(1, 1).Text(), u"");
  EXPECT_EQ(NamesOf(book->Worksheets()), std::vector<std::u16string>{u"Sheet1"});

  EXPECT_EQ(app->Workbooks().Add()->Name(), u"Book2");
}

TEST_P(ApplicationContract, OpenReadsTheFileIntoThatInstance) {
  auto app = NewInstance();
  const std::u16string path = DataFile(kBook);
  auto book = app->Workbooks().Open(path);
  EXPECT_EQ(book->Name(), u"contract_book.xlsx");
  EXPECT_EQ(book->FullName(), path);
  EXPECT_EQ(SheetNames(*book),
            (std::vector<std::u16string>{u"Data", u"Chart1", u"Secret", u"FromC5", u"Empty"}));
  EXPECT_EQ(book->Sheets().Item(1)->Cells(1, 1).Text(), u"alpha");
}

TEST_P(ApplicationContract, OpenWithNamedArgumentsGivesAnEditableWorkbook) {
  auto app = NewInstance();
  auto book = app->Workbooks().Open(OpenArguments{DataFile(kBook), true});
  EXPECT_EQ(app->Workbooks().Item(app->Workbooks().Count()).get(), book.get());
  EXPECT_EQ(book->Name(), u"contract_book.xlsx");

  auto data = book->Sheets().Item(1);
  EXPECT_EQ(data->Cells(2, 3).Text(), u"gamma");
  data->Cells(2, 3).SetValue(u"changed");
  EXPECT_EQ(data->Cells(2, 3).Text(), u"changed");

  // Each Open is its own copy: the file's content is untouched for the next one.
  auto again = NewInstance()->Workbooks().Open(OpenArguments{DataFile(kBook), true});
  EXPECT_EQ(again->Sheets().Item(1)->Cells(2, 3).Text(), u"gamma");
}

TEST_P(ApplicationContract, OpenOfAMissingFileFailsNamingTheFile) {
  auto app = NewInstance();
  const std::u16string path = DataFile("contract_missing.xlsx");
  EXPECT_EQ(FailureOf([&] { app->Workbooks().Open(path); }), u"File not found: " + path);
  EXPECT_EQ(FailureOf([&] {
              app->Workbooks().Open(OpenArguments{path, true});
            }),
            u"File not found: " + path);
  EXPECT_EQ(app->Workbooks().Count(), 0);
}

TEST_P(ApplicationContract, QuitAfterVisibleClosesTheInstanceAndEverythingInIt) {
  auto app = NewInstance();
  auto book = Open(*app, kBook);
  auto added = app->Workbooks().Add();
  auto sheet = book->Sheets().Item(1);
  auto other = NewInstance();
  auto other_book = Open(*other, kBook);

  app->SetVisible(true);
  EXPECT_EQ(server().GetObject(kSpreadsheetProgId).get(), app.get());
  app->Quit();

  EXPECT_FALSE(FailureOf([&] { server().GetObject(kSpreadsheetProgId); }).empty());
  EXPECT_FALSE(FailureOf([&] { app->Value(); }).empty());
  EXPECT_FALSE(FailureOf([&] { app->Workbooks().Count(); }).empty());
  EXPECT_FALSE(FailureOf([&] { book->Sheets().Count(); }).empty());
  EXPECT_FALSE(FailureOf([&] { added->Worksheets(); }).empty());
  EXPECT_FALSE(FailureOf([&] { sheet->Cells(1, 1).Text(); }).empty());
  EXPECT_FALSE(FailureOf([&] { sheet->Cells(1, 1).SetValue(u"x"); }).empty());

  // Another instance is not touched.
  EXPECT_EQ(other->Workbooks().Count(), 1);
  EXPECT_EQ(other_book->Sheets().Item(1)->Cells(1, 1).Text(), u"alpha");
}

TEST_P(ApplicationContract, OpensOpenDocumentAndBinaryWorkbooksWithTheSameSheetsAndTexts) {
  auto app = NewInstance();
  for (std::string_view file : {kSheetNames, kSheetNamesOds, kSheetNamesXlsb}) {
    auto book = Open(*app, file);
    EXPECT_EQ(SheetNames(*book), (std::vector<std::u16string>{u"Sheet1", u"SHEET2", u"Sheet4"}))
        << file;
    for (const std::u16string& name : SheetNames(*book)) {
      EXPECT_EQ(SheetNamed(*book, name)->CellText({1, 1}), name) << file;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Servers, ApplicationContract, ::testing::ValuesIn(ServersUnderTest()),
                         ServerName);

}  // namespace
}  // namespace brintova::contract
