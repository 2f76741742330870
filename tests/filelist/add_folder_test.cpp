// The folder scan over an in-memory tree: walk order, the skip rules, growth, root joins,
// unreadable folders, links back up the tree, and "Add All" with its boxes and pointer.
#include "filelist/add_folder.h"

#include <gtest/gtest.h>

#include "filelist/file_list.h"
#include "platform/text.h"
#include "world.h"

namespace brintova {
namespace {

using file_attribute::kArchive;
using file_attribute::kHidden;
using file_attribute::kReadOnly;
using file_attribute::kSystem;
using testing::World;
using Rows = std::vector<std::u16string>;

void Scan(World& world, std::u16string_view folder, std::u16string_view pattern = u"*.*") {
  GuardedHandler guard(world.dialogs, kPushButton6Tag);
  AddFolder::AddFolderTree(world.ports, guard, folder, pattern);
}

// F holds a (holding c) and b (holding d); every folder holds one file.
void AddTwoLevelTree(World& world) {
  world.files.AddFile(u"/t/F/f.xls");
  world.files.AddFile(u"/t/F/a/a.xls");
  world.files.AddFile(u"/t/F/a/c/c.xls");
  world.files.AddFile(u"/t/F/b/b.xls");
  world.files.AddFile(u"/t/F/b/d/d.xls");
}

TEST(CollectSubfolders, GoesLevelByLevelGroupedByParent) {
  World world;
  AddTwoLevelTree(world);
  std::vector<std::u16string> folders = {u"/t/F/"};
  AddFolder::FolderWalk walk;
  AddFolder::CollectSubfolders(world.form, world.files, folders, true, walk);
  EXPECT_EQ(folders, (Rows{u"/t/F/", u"/t/F/a/", u"/t/F/b/", u"/t/F/a/c/", u"/t/F/b/d/"}));
  EXPECT_TRUE(walk.problems.empty());

  std::vector<std::u16string> one_level = {u"/t/F/"};
  AddFolder::FolderWalk walk2;
  AddFolder::CollectSubfolders(world.form, world.files, one_level, false, walk2);
  EXPECT_EQ(one_level, (Rows{u"/t/F/", u"/t/F/a/", u"/t/F/b/"}));
}

TEST(AddFolderTree, ListsFilesFolderByFolderBreadthFirst) {
  World world;
  AddTwoLevelTree(world);
  Scan(world, u"/t/F");
  EXPECT_EQ(world.rows(), (Rows{u"/t/F/f.xls", u"/t/F/a/a.xls", u"/t/F/b/b.xls", u"/t/F/a/c/c.xls",
                                u"/t/F/b/d/d.xls"}));
  Scan(world, u"/t/F");  // a second scan lists everything again
  EXPECT_EQ(world.rows().size(), 10u);
  EXPECT_TRUE(world.dialogs.boxes.empty());
}

TEST(AddFolderTree, SkipsLockFilesHiddenArchiveFilesAndHiddenFolders) {
  struct Entry {
    std::u16string name;
    std::uint32_t attributes;
    bool listed;
  };
  const Entry files[] = {
      {u"~$Book1.xls", kArchive, false},
      {u"Report~1.xls", kArchive, true},
      {u"hidden archive.xls", kHidden | kArchive, false},
      {u"hidden read-only.xls", kHidden | kArchive | kReadOnly, true},
      {u"hidden only.xls", kHidden, true},
      {u"system.xls", kSystem | kArchive, true},
      {u"plain.xls", 0, true},
  };
  World world;
  Rows expected;
  for (const Entry& e : files) {
    world.files.AddFile(u"/t/F/" + e.name, e.attributes);
    if (e.listed) expected.push_back(u"/t/F/" + e.name);
  }
  world.files.AddFile(u"/t/F/hidden folder/in hidden.xls");
  world.files.AddFolder(u"/t/F/hidden folder", kHidden);
  world.files.AddFile(u"/t/F/system folder/in system.xls");
  world.files.AddFolder(u"/t/F/system folder", kSystem);
  world.files.AddFile(u"/t/F/odd?name/in odd.xls");
  world.files.AddFile(u"/t/F/ok folder/~in ok.xls");
  world.files.AddFile(u"/t/F/ok folder/in ok.xls");
  expected.push_back(u"/t/F/ok folder/in ok.xls");
  Scan(world, u"/t/F");
  EXPECT_EQ(world.rows(), expected);
}

TEST(AddFolderTree, ListsFoldersOfAnySizeCompletelyInListingOrder) {
  for (const int count : {0, 1, 99, 100, 101, 150, 151, 1000}) {
    World world;
    world.files.AddFolder(u"/t/F");
    Rows expected;
    for (int i = count; i > 0; --i) {  // listing order is not name order here
      const std::u16string path = u"/t/F/" + DecimalText(i) + u".xls";
      world.files.AddFile(path);
      expected.push_back(path);
    }
    Scan(world, u"/t/F", u"*.xls");
    EXPECT_EQ(world.rows(), expected) << count << " files";
  }
}

TEST(AddFolderTree, ListsASingleSeparatorAfterARoot) {
  World windows(u'\\');
  windows.files.AddFile(u"D:\\x.xls");
  windows.files.AddFile(u"D:\\Sub\\y.xls");
  windows.files.AddFile(u"D:\\Sub\\Deeper\\z.xls");
  Scan(windows, u"D:\\");
  EXPECT_EQ(windows.rows(), (Rows{u"D:\\x.xls", u"D:\\Sub\\y.xls", u"D:\\Sub\\Deeper\\z.xls"}));

  World posix;
  posix.files.AddFile(u"/x.xls");
  posix.files.AddFile(u"/Sub/y.xls");
  posix.files.AddFile(u"/Sub/Deeper/z.xls");
  Scan(posix, u"/");
  EXPECT_EQ(posix.rows(), (Rows{u"/x.xls", u"/Sub/y.xls", u"/Sub/Deeper/z.xls"}));
}

TEST(AddFolderTree, NothingMatchingIsNoFailure) {
  World world;
  world.files.AddFile(u"/t/F/a.txt");
  world.files.AddFolder(u"/t/F/empty");
  Scan(world, u"/t/F", u"*.xls");
  EXPECT_TRUE(world.rows().empty());
  EXPECT_TRUE(world.dialogs.boxes.empty());
}

TEST(AddFolderTree, GoesOnPastAnUnreadableFolderAndReportsItOnceAtTheEnd) {
  World world;
  AddTwoLevelTree(world);
  world.files.AddFile(u"/t/F/a/c/more/m.xls");
  world.files.fail_listing = {u"/t/F/a"};
  world.files.fail_file_listing = {u"/t/F/b/d"};  // found by the walk, then unreadable
  Scan(world, u"/t/F");
  EXPECT_EQ(world.rows(), (Rows{u"/t/F/f.xls", u"/t/F/b/b.xls"}));
  const auto boxes = world.error_boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].line, 116);
  EXPECT_NE(boxes[0].text.find(u"2 places"), std::u16string::npos) << ToUtf8(boxes[0].text);
  EXPECT_NE(boxes[0].text.find(u"/t/F/a"), std::u16string::npos);
  EXPECT_NE(boxes[0].text.find(u"/t/F/b/d"), std::u16string::npos);
}

TEST(AddFolderTree, AFailingAttributeTestIsReportedAndStillListsThePath) {
  World world;
  world.files.AddFile(u"/t/F/a.xls");
  world.files.AddFile(u"/t/F/b.xls");
  world.files.fail_attributes = {u"/t/F/a.xls"};
  Scan(world, u"/t/F");
  EXPECT_EQ(world.rows(), (Rows{u"/t/F/a.xls", u"/t/F/b.xls"}));
  const auto boxes = world.error_boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].line, 116);  // found unexaminable by the walk, before its files are listed
  EXPECT_NE(boxes[0].text.find(u"/t/F/a.xls"), std::u16string::npos) << ToUtf8(boxes[0].text);

  // A hidden file is not seen by the walk's listing, only by the file listing.
  World hidden;
  hidden.files.AddFile(u"/t/F/.h.xls", kHidden);
  hidden.files.fail_attributes = {u"/t/F/.h.xls"};
  Scan(hidden, u"/t/F");
  EXPECT_EQ(hidden.rows(), (Rows{u"/t/F/.h.xls"}));
  ASSERT_EQ(hidden.error_boxes().size(), 1u);
  EXPECT_EQ(hidden.error_boxes()[0].line, 132);
}

// A subfolder the walk cannot examine is not entered, and is named in the one box at the end
// with the folders that could not be read, whichever query failed.
TEST(AddFolderTree, ReportsASubfolderWhoseAttributesOrIdentityCannotBeRead) {
  World world;
  AddTwoLevelTree(world);
  world.files.fail_attributes = {u"/t/F/a"};
  world.files.fail_identity = {u"/t/F/b/d"};
  Scan(world, u"/t/F");
  EXPECT_EQ(world.rows(), (Rows{u"/t/F/f.xls", u"/t/F/b/b.xls"}));
  const auto boxes = world.error_boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find(u"2 places"), std::u16string::npos) << ToUtf8(boxes[0].text);
  EXPECT_NE(boxes[0].text.find(u"Permission denied: /t/F/a"), std::u16string::npos);
  EXPECT_NE(boxes[0].text.find(u"Cannot examine \"/t/F/b/d\""), std::u16string::npos);
}

// A folder that can be listed but not entered: every entry in it fails to be examined. One
// summary names the folder and the count, instead of a box per file; the files are listed.
TEST(AddFolderTree, AFolderListedButNotEnteredGivesOneSummary) {
  World world;
  world.files.AddFile(u"/t/F/ok.xls");
  world.files.AddFile(u"/t/F/locked/1.xls");
  world.files.AddFile(u"/t/F/locked/2.xls");
  world.files.AddFile(u"/t/F/locked/3.xls");
  world.files.AddFile(u"/t/F/locked/sub/deep.xls");
  world.files.fail_attributes = {u"/t/F/locked/1.xls", u"/t/F/locked/2.xls", u"/t/F/locked/3.xls",
                                 u"/t/F/locked/sub"};
  Scan(world, u"/t/F");
  EXPECT_EQ(world.rows(), (Rows{u"/t/F/ok.xls", u"/t/F/locked/1.xls", u"/t/F/locked/2.xls",
                                u"/t/F/locked/3.xls"}));
  const auto boxes = world.error_boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find(u"1 place in"), std::u16string::npos) << ToUtf8(boxes[0].text);
  EXPECT_NE(boxes[0].text.find(u"\"/t/F/locked\": 4 entries could not be examined"),
            std::u16string::npos)
      << ToUtf8(boxes[0].text);
}

TEST(AddFolderTree, EntersAFolderReachedThroughALinkOnlyOnce) {
  World world;
  world.files.AddFile(u"/t/F/f.xls");
  world.files.AddFile(u"/t/F/a/a.xls");
  world.files.AddFolderLink(u"/t/F/a/back up", u"/t/F");
  world.files.AddFolderLink(u"/t/F/also a", u"/t/F/a");
  Scan(world, u"/t/F");
  EXPECT_EQ(world.rows(), (Rows{u"/t/F/f.xls", u"/t/F/a/a.xls"}));
  EXPECT_TRUE(world.dialogs.boxes.empty());
}

TEST(AddFolderTree, LetsEventsRunWhileWalkingButNotWhileAppending) {
  World world;
  AddTwoLevelTree(world);
  world.rows() = {u"old 1", u"old 2"};
  std::vector<std::size_t> rows_seen;
  world.form.on_do_events = [&] {
    rows_seen.push_back(world.rows().size());
    if (rows_seen.size() == 3) PushButton1_Click(world.ports);  // "Clear List" meanwhile
  };
  Scan(world, u"/t/F");
  EXPECT_EQ(world.rows().size(), 5u);  // appended to whatever the list held by then
  ASSERT_GT(rows_seen.size(), 5u);
  for (std::size_t i = 3; i < rows_seen.size(); ++i) EXPECT_EQ(rows_seen[i], 0u);
}

class AddAll : public ::testing::Test {
 protected:
  void SetUp() override {
    world.files.AddFile(u"/t/F/a.xls");
    world.files.AddFile(u"/t/F/b.xlsx");
    world.files.AddFile(u"/t/F/sub/c.txt");
  }
  bool PointerWasChanged() const {
    for (const std::string& call : world.form.log) {
      if (call.starts_with("Form.SetMousePointer")) return true;
    }
    return false;
  }
  World world;
};

TEST_F(AddAll, AsksForTheExtensionThenTheFolder) {
  world.dialogs.input_answers = {u"xls"};
  world.shell.browse_answers = {u"/t/F"};
  PushButton6_Click(world.ports);
  ASSERT_EQ(world.dialogs.input_boxes.size(), 1u);
  EXPECT_EQ(world.dialogs.input_boxes[0].prompt,
            u"Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for "
            u"all doc files, etc.)");
  EXPECT_EQ(world.dialogs.input_boxes[0].title, u"Brintova");
  EXPECT_EQ(world.dialogs.input_boxes[0].default_text, u"xls");
  EXPECT_EQ(world.shell.browse_titles, (Rows{u"Please select folder:"}));
  EXPECT_EQ(world.rows(), (Rows{u"/t/F/a.xls"}));
  const testing::CallLog pointer = {"Form.SetMousePointer 11", "Form.SetMousePointer 0"};
  EXPECT_EQ(world.form.log, pointer);
  EXPECT_TRUE(world.dialogs.boxes.empty());
}

TEST_F(AddAll, BuildsThePatternFromTheTypedExtension) {
  const std::pair<std::u16string, Rows> cases[] = {
      {u"*", {u"/t/F/a.xls", u"/t/F/b.xlsx", u"/t/F/sub/c.txt"}},
      {u"txt", {u"/t/F/sub/c.txt"}},
      {u"XLSX", {u"/t/F/b.xlsx"}},
      {u"doc", {}},
  };
  for (const auto& [extension, expected] : cases) {
    world.rows().clear();
    world.dialogs.input_answers = {extension};
    world.shell.browse_answers = {u"/t/F"};
    PushButton6_Click(world.ports);
    EXPECT_EQ(world.rows(), expected) << ToUtf8(extension);
  }
}

TEST_F(AddAll, CancelEndsWithoutTouchingThePointer) {
  PushButton6_Click(world.ports);  // no extension typed
  EXPECT_TRUE(world.shell.browse_titles.empty());
  world.dialogs.input_answers = {u"xls"};
  PushButton6_Click(world.ports);  // folder browser cancelled
  EXPECT_EQ(world.shell.browse_titles.size(), 1u);
  EXPECT_FALSE(PointerWasChanged());
  EXPECT_TRUE(world.rows().empty());
  EXPECT_TRUE(world.dialogs.boxes.empty());
}

TEST_F(AddAll, RestoresThePointerAfterAFailedWalk) {
  world.dialogs.input_answers = {u"xls"};
  world.shell.browse_answers = {u"/t/gone"};
  PushButton6_Click(world.ports);
  EXPECT_EQ(world.form.mouse_pointer, kPointerDefault);
  EXPECT_TRUE(PointerWasChanged());
  const auto boxes = world.error_boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find(u"/t/gone"), std::u16string::npos);
  EXPECT_NE(boxes[0].text.find(kPushButton6Tag), std::u16string::npos);
}

}  // namespace
}  // namespace brintova
