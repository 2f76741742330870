// Several sheets added in front of an Office Open XML workbook and renamed, as the per-sheet
// layout leaves them: saved under their new names, in tab order, with the original sheets
// copied unchanged; a sheet read from the file keeps its name.
#include <gtest/gtest.h>

#include "engine/package/save_workbook.h"
#include "engine/server/embedded_server.h"
#include "engine/server/open_workbook.h"
#include "platform/failure.h"
#include "platform/text.h"
#include "save_helpers.h"

namespace brintova::engine::savetest {
namespace {

TEST(RenamedSheets, AreSavedUnderTheirNewNamesInFrontOfTheOriginals) {
  ScratchFolder folder;
  EmbeddedServer server;
  auto app = server.CreateObject(kSpreadsheetProgId);
  auto book = std::dynamic_pointer_cast<EmbeddedWorkbook>(
      app->Workbooks().Open(TextFromNativePath(DataPath("contract_book.xlsx"))));
  ASSERT_TRUE(book);
  const std::size_t original_count = book->model().SheetCount();
  // Added last to first, each in front of the one before, as the layout does.
  for (const std::u16string name : {u"Empty results", u"Data results"}) {
    auto sheet = book->Sheets().Add(book->Sheets().Item(1));
    sheet->SetName(name);
    sheet->Cells(2, 2).SetValue(name);
  }
  const std::string saved = folder.File("renamed.xlsx");
  package::SaveWorkbookAs(book->model(), TextFromNativePath(saved));

  const auto reopened = OpenWorkbookFile(TextFromNativePath(saved));
  ASSERT_EQ(reopened->SheetCount(), original_count + 2);
  EXPECT_EQ(reopened->sheet(0).name(), u"Data results");
  EXPECT_EQ(reopened->sheet(1).name(), u"Empty results");
  EXPECT_EQ(reopened->sheet(2).name(), u"Data");
  EXPECT_EQ(SheetTexts(*reopened, reopened->sheet(0)), (CellTexts{{{2, 2}, "Data results"}}));
  EXPECT_EQ(SheetTexts(*reopened, reopened->sheet(1)), (CellTexts{{{2, 2}, "Empty results"}}));
  EXPECT_EQ(SheetTexts(*reopened, reopened->sheet(2)),
            SheetTexts(book->model(), book->model().sheet(2)));
}

TEST(RenamedSheets, ASheetReadFromThePackageKeepsItsName) {
  EmbeddedServer server;
  auto app = server.CreateObject(kSpreadsheetProgId);
  auto book = app->Workbooks().Open(TextFromNativePath(DataPath("contract_book.xlsx")));
  auto data = book->Sheets().Item(1);
  try {
    data->SetName(u"Renamed");
    FAIL() << "a sheet read from the file was renamed";
  } catch (const Failure& failure) {
    EXPECT_NE(std::string(failure.what()).find("added since the workbook was opened"),
              std::string::npos)
        << failure.what();
  }
  EXPECT_EQ(data->Name(), u"Data");
}

}  // namespace
}  // namespace brintova::engine::savetest
