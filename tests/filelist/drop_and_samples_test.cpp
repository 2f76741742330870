// Dragging onto the file list, dropping files and folders, and "Load Sample/Example Files".
#include "filelist/drop_and_samples.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "world.h"

namespace brintova {
namespace {

using testing::FakeDataObject;
using testing::World;
using Rows = std::vector<std::u16string>;

TEST(DragOver, RefusesDataWithoutTheDesktopFileList) {
  const std::pair<std::set<std::int32_t>, std::int32_t> cases[] = {
      {{kFormatFileList}, 1},     // files: the source's effect stays
      {{1, kFormatFileList}, 1},  // text and files
      {{1}, kDropEffectNone},     // a text selection
      {{}, kDropEffectNone},
  };
  for (const auto& [formats, expected] : cases) {
    World world;
    FakeDataObject data;
    data.formats = formats;
    std::int32_t effect = 1;
    ListView1_OLEDragOver(world.ports, data, effect);
    EXPECT_EQ(effect, expected) << formats.size() << " formats";
  }
}

class Drop : public ::testing::Test {
 protected:
  void SetUp() override {
    world.files.AddFile(u"/d/F/x.xls");
    world.files.AddFile(u"/d/F/~$x.xls");
    world.files.AddFile(u"/d/F/sub/y.doc");
    world.files.AddFile(u"/d/G/z.xlsx");
    world.files.AddFile(u"/d/notes.txt");
    world.files.AddFile(u"/d/.hidden/h.xls");
    world.files.AddFolder(u"/d/.hidden", file_attribute::kHidden);
  }
  void DropPaths(Rows paths) {
    data.files = std::move(paths);
    ListView1_OLEDragDrop(world.ports, data);
  }
  World world;
  FakeDataObject data;
};

TEST_F(Drop, ListsFoldersTreesAndFilesInTheOrderDropped) {
  world.rows() = {u"before"};
  DropPaths({u"/d/F", u"/d/notes.txt", u"/d/G"});
  EXPECT_EQ(world.rows(),
            (Rows{u"before", u"/d/F/x.xls", u"/d/F/sub/y.doc", u"/d/notes.txt", u"/d/G/z.xlsx"}));
  EXPECT_TRUE(world.dialogs.boxes.empty());
  EXPECT_EQ(world.form.mouse_pointer, kPointerDefault);
}

TEST_F(Drop, ListsAHiddenFolderAsOneRow) {
  DropPaths({u"/d/.hidden"});
  EXPECT_EQ(world.rows(), (Rows{u"/d/.hidden"}));
}

TEST_F(Drop, ReportsAPathThatVanishedAndGoesOnWithTheNext) {
  DropPaths({u"/d/gone.xls", u"/d/notes.txt"});
  EXPECT_EQ(world.rows(), (Rows{u"/d/notes.txt"}));
  const auto boxes = world.error_boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].line, 100);
  EXPECT_NE(boxes[0].text.find(kListView1OLEDragDropTag), std::u16string::npos);
  EXPECT_NE(boxes[0].text.find(u"/d/gone.xls"), std::u16string::npos);
}

TEST_F(Drop, KeepsWhatAnUnreadableSubfolderDoesNotHide) {
  world.files.fail_listing = {u"/d/F/sub"};
  DropPaths({u"/d/F", u"/d/G"});
  EXPECT_EQ(world.rows(), (Rows{u"/d/F/x.xls", u"/d/G/z.xlsx"}));
  const auto boxes = world.error_boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find(u"/d/F/sub"), std::u16string::npos);
  EXPECT_NE(boxes[0].text.find(kListView1OLEDragDropTag), std::u16string::npos);
}

class Samples : public ::testing::Test {
 protected:
  World world;
  const std::u16string folder = u"/opt/brintova/Samples";
};

TEST_F(Samples, ListsEveryFileThenOffersToOpenTheFolder) {
  world.files.AddFile(folder + u"/Orders.xlsx");
  world.files.AddFile(folder + u"/~$lock.xlsx");
  world.files.AddFile(folder + u"/hidden.xls", file_attribute::kHidden | file_attribute::kArchive);
  world.files.AddFile(folder + u"/inner/deeper.xls");
  PushButton2_Click(world.ports);
  EXPECT_EQ(world.rows(),
            (Rows{folder + u"/Orders.xlsx", folder + u"/~$lock.xlsx", folder + u"/hidden.xls"}));
  ASSERT_EQ(world.dialogs.boxes.size(), 1u);
  const testing::ShownBox& box = world.dialogs.boxes[0];
  EXPECT_EQ(box.text,
            u"Would you like this software to open the folder where these sample files are "
            u"stored (so that you can view them before working with them)?");
  EXPECT_EQ(box.buttons, MessageButtons::kYesNo);
  EXPECT_EQ(box.icon, MessageIcon::kNone);
  EXPECT_EQ(box.title, u"Brintova");
  ASSERT_EQ(world.shell.executed.size(), 1u);
  EXPECT_EQ(world.shell.executed[0].file, folder + u"/");
  EXPECT_EQ(world.shell.executed[0].directory, u"/");

  PushButton2_Click(world.ports);  // twice: every sample twice
  EXPECT_EQ(world.rows().size(), 6u);
}

TEST_F(Samples, NoOpensNothing) {
  world.files.AddFile(folder + u"/Orders.xlsx");
  world.dialogs.yes_no_answers = {MessageResult::kNo};
  PushButton2_Click(world.ports);
  EXPECT_EQ(world.rows().size(), 1u);
  EXPECT_TRUE(world.shell.executed.empty());
}

TEST_F(Samples, AMissingFolderListsNothingAndStillAsks) {
  world.dialogs.yes_no_answers = {MessageResult::kNo};
  PushButton2_Click(world.ports);
  EXPECT_TRUE(world.rows().empty());
  ASSERT_EQ(world.dialogs.boxes.size(), 1u);
  EXPECT_EQ(world.dialogs.boxes[0].buttons, MessageButtons::kYesNo);
}

TEST_F(Samples, AnUnreadableFolderIsReportedAndStillAsks) {
  world.files.AddFile(folder + u"/Orders.xlsx");
  world.files.fail_listing = {folder};
  PushButton2_Click(world.ports);
  EXPECT_TRUE(world.rows().empty());
  const auto boxes = world.error_boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].line, 100);
  EXPECT_EQ(world.dialogs.boxes.back().buttons, MessageButtons::kYesNo);
}

}  // namespace
}  // namespace brintova
