// The folder scan over real folders through PosixFileQueries: dot-file rules, links that point
// back up the tree, and a folder of 100,000 files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "filelist/add_folder.h"
#include "filelist/drop_and_samples.h"
#include "platform/posix/posix_file_queries.h"
#include "platform/text.h"
#include "world.h"

namespace brintova {
namespace {

using Rows = std::vector<std::u16string>;

class RealTree : public ::testing::Test {
 protected:
  void SetUp() override {
    // Memory-backed when there is one: a hundred thousand files are made in a second there.
    std::string pattern = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    pattern += "/brintova-walk-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  std::string At(std::string_view name) const { return root_ + "/" + std::string(name); }
  std::u16string Text(std::string_view name) const { return TextFromNativePath(At(name)); }
  void File(std::string_view name, mode_t mode = 0644) const {
    const int fd = open(At(name).c_str(), O_CREAT | O_WRONLY, mode);
    ASSERT_GE(fd, 0) << At(name);
    close(fd);
  }
  void Folder(std::string_view name) const { ASSERT_EQ(mkdir(At(name).c_str(), 0755), 0); }
  void Link(std::string_view name, std::string_view target) const {
    ASSERT_EQ(symlink(std::string(target).c_str(), At(name).c_str()), 0);
  }

  // The ports with the real file system in place of the in-memory tree.
  Ports RealPorts() {
    return Ports{world.form, world.dialogs, world.settings, files, world.shell, world.server};
  }

  void Scan(std::u16string_view folder, std::u16string_view pattern = u"*.*") {
    Ports ports = RealPorts();
    GuardedHandler guard(world.dialogs, kPushButton6Tag);
    AddFolder::AddFolderTree(ports, guard, folder, pattern);
  }

  std::string root_;
  testing::World world;
  PosixFileQueries files;
};

TEST_F(RealTree, SkipsDotFilesUnlessReadOnlyAndNeverEntersDotFolders) {
  File("Book.xlsx");
  File(".~lock.Book.xlsx#");
  File(".hidden.xlsx");
  File(".read-only.xlsx", 0444);
  File("~$Book.xlsx");
  Folder(".git");
  File(".git/inside.xlsx");
  Folder("Sub");
  File("Sub/Inner.xlsx");
  Scan(Text(""));  // the root with a trailing separator, as a path may come
  Scan(TextFromNativePath(root_));
  const Rows once = {Text(".read-only.xlsx"), Text("Book.xlsx"), Text("Sub/Inner.xlsx")};
  Rows twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(world.rows().size(), 6u);
  EXPECT_EQ(Rows(world.rows().begin() + 3, world.rows().end()), once);
  EXPECT_TRUE(world.dialogs.boxes.empty());
}

TEST_F(RealTree, ALinkBackUpTheTreeEndsTheWalk) {
  Folder("a");
  Folder("a/b");
  File("a/b/deep.xls");
  Link("a/b/up", "../..");  // back to the root
  Link("a/self", ".");
  Link("loop", "loop");  // a link to itself: examined, never a folder
  Scan(TextFromNativePath(root_), u"*.xls");
  EXPECT_EQ(world.rows(), (Rows{TextFromNativePath(root_ + "/a/b/deep.xls")}));
}

TEST_F(RealTree, ADroppedFolderFromTheRealFileSystem) {
  Folder("F");
  File("F/x.xls");
  File("notes.txt");
  Folder(".hidden");
  testing::FakeDataObject data;
  data.files = {Text("F"), Text("notes.txt"), Text(".hidden")};
  Ports ports = RealPorts();
  ListView1_OLEDragDrop(ports, data);
  EXPECT_EQ(world.rows(), (Rows{Text("F/x.xls"), Text("notes.txt"), Text(".hidden")}));
}

TEST_F(RealTree, ListsAHundredThousandFilesOfOneFolder) {
  constexpr int kFiles = 100'000;
  Folder("big");
  for (int i = 0; i < kFiles; ++i) File("big/" + std::to_string(i) + ".xls");
  Scan(Text("big"), u"*.xls");
  ASSERT_EQ(world.rows().size(), static_cast<std::size_t>(kFiles));
  EXPECT_EQ(world.rows().front(), Text("big/0.xls"));
  EXPECT_EQ(world.rows().back(), Text("big/99999.xls"));
}

}  // namespace
}  // namespace brintova
