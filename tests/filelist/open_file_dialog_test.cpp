// "Add Excel File(s)": the dialog's settings, what is listed for each kind of answer, and the
// too-many-files message.
#include "filelist/open_file_dialog.h"

#include <gtest/gtest.h>

#include "app/error_report.h"
#include "platform/text.h"
#include "world.h"

namespace brintova {
namespace {

using testing::World;
using namespace std::string_literals;

TEST(AddExcelFiles, SetsTheDialogUpAfreshBeforeShowingIt) {
  World world;
  world.form.file_dialog.file_name = u"left over";
  PushButton3_Click(world.ports);
  const testing::CallLog expected = {
      "CommonDialog1.SetFileName ",
      "CommonDialog1.SetFlags 2621953",
      "CommonDialog1.SetDialogTitle Add File(s) - Hold Ctrl to select multiple files",
      "CommonDialog1.SetFilter Excel Files (*.xl*)|*.xl*",
      "CommonDialog1.ShowOpen",
  };
  EXPECT_EQ(world.form.log, expected);
  EXPECT_TRUE(world.rows().empty());  // Cancel
  EXPECT_TRUE(world.dialogs.boxes.empty());
}

struct DialogCase {
  const char* what;
  char16_t separator;
  std::u16string result;
  std::vector<std::u16string> expected;
};

TEST(AddExcelFiles, ListsWhatTheDialogReturnedAfterTheRowsPresent) {
  const DialogCase cases[] = {
      {"one file, unchanged", u'/', u"/home/u/My Book.xlsx", {u"/home/u/My Book.xlsx"}},
      {"a typed name that does not exist", u'/', u"/nowhere/x.xls", {u"/nowhere/x.xls"}},
      {"several, in the dialog's order",
       u'/',
       u"/data\0z.xls\0a.xls"s,
       {u"/data/z.xls", u"/data/a.xls"}},
      {"several in the root", u'/', u"/\0a.xls\0b.xlsm"s, {u"/a.xls", u"/b.xlsm"}},
      {"several in a drive root", u'\\', u"C:\\\0a.xls\0b.xls"s, {u"C:\\a.xls", u"C:\\b.xls"}},
      {"several in a folder",
       u'\\',
       u"C:\\Data\0a.xls\0b.xls"s,
       {u"C:\\Data\\a.xls", u"C:\\Data\\b.xls"}},
  };
  for (const DialogCase& c : cases) {
    World world(c.separator);
    world.rows() = {u"first"};
    world.form.file_dialog.result = c.result;
    PushButton3_Click(world.ports);
    std::vector<std::u16string> expected = {u"first"};
    expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    EXPECT_EQ(world.rows(), expected) << c.what;
    EXPECT_TRUE(world.dialogs.boxes.empty()) << c.what;
  }
}

TEST(AddExcelFiles, AddingTheSameFileTwiceGivesTwoRows) {
  World world;
  world.form.file_dialog.result = u"/d/a.xls";
  PushButton3_Click(world.ports);
  PushButton3_Click(world.ports);
  EXPECT_EQ(world.rows(), (std::vector<std::u16string>{u"/d/a.xls", u"/d/a.xls"}));
}

TEST(AddExcelFiles, TooManyFilesGetsItsOwnMessageAndListsNothing) {
  World world;
  world.form.file_dialog.result = u"/d\0a.xls\0b.xls"s;  // would be listed without the failure
  world.form.file_dialog.failure = Failure(u"Buffer too small", kFailureDialogBufferTooSmall);
  PushButton3_Click(world.ports);
  EXPECT_TRUE(world.rows().empty());
  ASSERT_EQ(world.dialogs.boxes.size(), 1u);
  const testing::ShownBox& box = world.dialogs.boxes[0];
  EXPECT_EQ(box.text,
            u"You've selected too many files to add.\r\rPlease try adding via the \"Add All\" "
            u"button.");
  EXPECT_EQ(box.buttons, MessageButtons::kOk);
  EXPECT_EQ(box.icon, MessageIcon::kNone);
  EXPECT_EQ(box.title, u"Brintova");
}

TEST(AddExcelFiles, AnyOtherDialogFailureTakesTheStandardBoxAndGoesOn) {
  World world;
  world.form.file_dialog.failure = Failure(u"Invalid procedure call or argument", 5);
  world.form.file_dialog.result = u"/d/a.xls";
  PushButton3_Click(world.ports);
  ASSERT_EQ(world.dialogs.boxes.size(), 1u);
  EXPECT_EQ(world.dialogs.boxes[0].text,
            HandlerErrorMessage(u"Invalid procedure call or argument", kPushButton3Tag, 112));
  EXPECT_TRUE(world.rows().empty());  // the file name stayed empty
}

}  // namespace
}  // namespace brintova
