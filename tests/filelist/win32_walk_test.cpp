// The folder scan and the drop over real Windows folders through Win32FileQueries: attribute
// bits set with SetFileAttributesW, the "~" rule, hidden and system folders, the pattern, and
// names outside the ANSI code page.
#include <gtest/gtest.h>

#include <algorithm>

#include "filelist/add_folder.h"
#include "filelist/drop_and_samples.h"
#include "platform/text.h"
#include "platform/win32/win32_file_queries.h"
#include "platform/win32/windows_api.h"
#include "support/win32/scratch_folder.h"
#include "world.h"

namespace brintova {
namespace {

using Rows = std::vector<std::u16string>;

constexpr DWORD kHidden = FILE_ATTRIBUTE_HIDDEN;
constexpr DWORD kSystem = FILE_ATTRIBUTE_SYSTEM;
constexpr DWORD kArchive = FILE_ATTRIBUTE_ARCHIVE;

class RealWindowsTree : public ::testing::Test {
 protected:
  Ports RealPorts() {
    return Ports{world.form, world.dialogs, world.settings, files, world.shell, world.server};
  }
  void Scan(std::u16string_view folder, std::u16string_view pattern) {
    Ports ports = RealPorts();
    GuardedHandler guard(world.dialogs, kPushButton6Tag);
    AddFolder::AddFolderTree(ports, guard, folder, pattern);
  }
  std::size_t RowOf(std::u16string_view relative) {
    const auto at = std::find(world.rows().begin(), world.rows().end(), scratch.At(relative));
    EXPECT_NE(at, world.rows().end()) << ToUtf8(relative) << " is not listed";
    return static_cast<std::size_t>(at - world.rows().begin());
  }

  wintest::ScratchFolder scratch;
  testing::World world{u'\\'};
  Win32FileQueries files;
};

TEST_F(RealWindowsTree, TheScanSkipsExactlyHiddenArchiveFilesAndHiddenOrSystemFolders) {
  scratch.File(u"a.xls");
  scratch.File(u"~$a.xls");                         // a lock file: skipped
  scratch.File(u"Report~1.xls");                    // "~" inside: listed
  scratch.File(u"hidden.xls", kHidden | kArchive);  // 34: skipped
  scratch.File(u"hidden read-only.xls", kHidden | kArchive | FILE_ATTRIBUTE_READONLY);  // 35
  scratch.File(u"hidden system.xls", kHidden | kSystem | kArchive);                     // 38
  scratch.File(u"b.xlsx");
  scratch.File(u"Sub\\c.xls");
  scratch.File(u"Sub\\Deeper\\d.xls");
  scratch.File(u"J\u00e4n\\\u4e2d\u6587.xls");
  scratch.File(u"Hid\\e.xls");
  scratch.File(u"Sys\\f.xls");
  scratch.Folder(u"Hid", kHidden);
  scratch.Folder(u"Sys", kSystem);

  Scan(scratch.path(), u"*.xls");

  Rows expected;
  for (const char16_t* name :
       {u"a.xls", u"Report~1.xls", u"hidden read-only.xls", u"hidden system.xls", u"Sub\\c.xls",
        u"Sub\\Deeper\\d.xls", u"J\u00e4n\\\u4e2d\u6587.xls"}) {
    expected.push_back(scratch.At(name));
  }
  Rows listed = world.rows();
  std::sort(listed.begin(), listed.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);
  // Breadth-first: the chosen folder's files, then the next level's, then the one below.
  EXPECT_LT(RowOf(u"hidden system.xls"), RowOf(u"Sub\\c.xls"));
  EXPECT_LT(RowOf(u"a.xls"), RowOf(u"J\u00e4n\\\u4e2d\u6587.xls"));
  EXPECT_LT(RowOf(u"J\u00e4n\\\u4e2d\u6587.xls"), RowOf(u"Sub\\Deeper\\d.xls"));
  EXPECT_LT(RowOf(u"Sub\\c.xls"), RowOf(u"Sub\\Deeper\\d.xls"));
  EXPECT_TRUE(world.dialogs.boxes.empty());
}

TEST_F(RealWindowsTree, ADroppedMixOfFoldersAndFiles) {
  scratch.File(u"F\\x.xls");
  scratch.File(u"F\\G\\y.txt");
  scratch.File(u"F\\~z.xls");
  scratch.File(u"notes.txt");
  scratch.Folder(u"Hidden folder", kHidden);
  scratch.File(u"\u00dcberweisung J\u00e4n.xlsx");
  testing::FakeDataObject data;
  data.files = {scratch.At(u"F"), scratch.At(u"notes.txt"), scratch.At(u"Hidden folder"),
                scratch.At(u"\u00dcberweisung J\u00e4n.xlsx")};
  Ports ports = RealPorts();
  ListView1_OLEDragDrop(ports, data);
  EXPECT_EQ(world.rows(),
            (Rows{scratch.At(u"F\\x.xls"), scratch.At(u"F\\G\\y.txt"), scratch.At(u"notes.txt"),
                  scratch.At(u"Hidden folder"), scratch.At(u"\u00dcberweisung J\u00e4n.xlsx")}));
  EXPECT_TRUE(world.dialogs.boxes.empty());
}

TEST_F(RealWindowsTree, AVanishedDropIsReportedAndTheRestListed) {
  scratch.File(u"here.xls");
  testing::FakeDataObject data;
  data.files = {scratch.At(u"gone.xls"), scratch.At(u"here.xls")};
  Ports ports = RealPorts();
  ListView1_OLEDragDrop(ports, data);
  EXPECT_EQ(world.rows(), (Rows{scratch.At(u"here.xls")}));
  ASSERT_EQ(world.error_boxes().size(), 1u);
  EXPECT_NE(world.error_boxes()[0].text.find(scratch.At(u"gone.xls")), std::u16string::npos);
}

}  // namespace
}  // namespace brintova
