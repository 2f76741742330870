// PosixFileQueries against real temporary folders: the attribute rules, listing filters and
// order, wildcards, lossless names, long paths, links and failures.
#include "platform/posix/posix_file_queries.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/failure.h"
#include "platform/text.h"

namespace brintova {
namespace {

using Names = std::vector<std::u16string>;

// A folder under /tmp, removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/brintova-posix-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempFolder() { std::filesystem::remove_all(path_); }
  const std::string& path() const { return path_; }
  std::u16string text() const { return TextFromNativePath(path_); }
  std::string At(std::string_view name) const { return path_ + "/" + std::string(name); }

  void File(std::string_view name, mode_t mode = 0644) const {
    const int fd = open(At(name).c_str(), O_CREAT | O_WRONLY, mode);
    ASSERT_GE(fd, 0) << At(name);
    close(fd);
    chmod(At(name).c_str(), mode);
  }
  void Folder(std::string_view name) const { ASSERT_EQ(mkdir(At(name).c_str(), 0755), 0); }
  void Link(std::string_view name, std::string_view target) const {
    ASSERT_EQ(symlink(std::string(target).c_str(), At(name).c_str()), 0);
  }

 private:
  std::string path_;
};

TEST(PosixFileQueries, MapsTheAttributeRulesOntoLinux) {
  TempFolder t;
  t.File("Book.xlsx");
  t.File("ro.xlsx", 0444);
  t.File(".lock.xls");
  t.File(".ro-lock.xls", 0444);
  t.Folder("dir");
  t.Folder(".dotdir");
  t.Link("to-dir", "dir");
  t.Link("to-file", "Book.xlsx");
  t.Link("dangling", "nowhere");
  t.Link(".dangling", "nowhere");
  ASSERT_EQ(mkfifo(t.At("fifo").c_str(), 0644), 0);
  const std::pair<std::string, std::uint32_t> cases[] = {
      {"Book.xlsx", 32}, {"ro.xlsx", 33}, {".lock.xls", 34}, {".ro-lock.xls", 35}, {"dir", 16},
      {".dotdir", 18},   {"dir/", 16},    {"to-dir", 16},    {"to-file", 32},      {"dangling", 0},
      {".dangling", 2},  {"fifo", 0},     {".", 16},         {"..", 16},
  };
  PosixFileQueries files;
  for (const auto& [name, expected] : cases) {
    EXPECT_EQ(files.GetAttributes(TextFromNativePath(t.At(name))), expected) << name;
  }
  EXPECT_EQ(files.GetAttributes(u"/"), 16u);
  EXPECT_EQ(files.Separator(), u'/');
}

TEST(PosixFileQueries, ListsByAttributeMaskSortedWithoutRegardToCase) {
  TempFolder t;
  for (const char* name : {"b.xls", "C.xls", "a_b.xls", "A.xls", ".hidden.xls"}) t.File(name);
  t.Folder("Sub");
  t.Folder(".git");
  t.Link("linked", "Sub");
  PosixFileQueries files;
  EXPECT_EQ(files.ListDirectory(t.text() + u"/", u"", file_attribute::kDirectory),
            (Names{u".", u"..", u"A.xls", u"a_b.xls", u"b.xls", u"C.xls", u"linked", u"Sub"}));
  EXPECT_EQ(
      files.ListDirectory(t.text(), u"*.*", file_attribute::kHidden | file_attribute::kSystem),
      (Names{u".hidden.xls", u"A.xls", u"a_b.xls", u"b.xls", u"C.xls"}));
  EXPECT_EQ(files.ListDirectory(t.text(), u"*.XLS", 0),
            (Names{u"A.xls", u"a_b.xls", u"b.xls", u"C.xls"}));
  EXPECT_EQ(files.ListDirectory(t.text(), u"s*", file_attribute::kDirectory), (Names{u"Sub"}));
}

TEST(PosixFileQueries, NamesThatAreNotUtf8OrHoldControlsRoundTrip) {
  TempFolder t;
  const std::string odd[] = {"Book\xff\xfe.xls", "tab\there.xls", "new\nline.xls",
                             "Caf\xc3\xa9.xls"};
  for (const std::string& name : odd) t.File(name);
  PosixFileQueries files;
  const Names listed = files.ListDirectory(t.text(), u"*.xls", 0);
  ASSERT_EQ(listed.size(), 4u);
  for (const std::u16string& name : listed) {
    const std::u16string path = t.text() + u"/" + name;
    EXPECT_EQ(files.GetAttributes(path), file_attribute::kArchive) << NativePathFromText(name);
    EXPECT_TRUE(std::filesystem::exists(NativePathFromText(path)));
  }
  EXPECT_NE(std::find(listed.begin(), listed.end(), u"Caf\u00e9.xls"), listed.end());
}

TEST(PosixFileQueries, ReadsPathsLongerThan260Characters) {
  TempFolder t;
  std::string relative;
  for (int level = 0; level < 8; ++level) {
    relative += (level ? "/" : "") + std::string(50, static_cast<char>('a' + level));
    t.Folder(relative);
  }
  t.File(relative + "/deep.xlsx");
  const std::u16string folder = TextFromNativePath(t.At(relative));
  ASSERT_GT(folder.size(), 400u);
  PosixFileQueries files;
  EXPECT_EQ(files.ListDirectory(folder, u"*.xlsx", 0), (Names{u"deep.xlsx"}));
  EXPECT_EQ(files.GetAttributes(folder + u"/deep.xlsx"), 32u);
}

TEST(PosixFileQueries, FailuresNameThePathAndTheReason) {
  TempFolder t;
  t.File("file.xls");
  const std::u16string gone = t.text() + u"/gone";
  PosixFileQueries files;
  const auto description = [](auto&& call) -> std::string {
    try {
      call();
    } catch (const Failure& failure) {
      return ToUtf8(failure.description());
    }
    return "no failure";
  };
  const std::string listing = description([&] { files.ListDirectory(gone, u"", 16); });
  EXPECT_NE(listing.find(NativePathFromText(gone)), std::string::npos) << listing;
  EXPECT_NE(listing.find("No such file or directory"), std::string::npos) << listing;
  EXPECT_NE(description([&] { files.GetAttributes(gone); }).find("gone"), std::string::npos);
  EXPECT_NE(description([&] { files.LastModified(gone); }).find("gone"), std::string::npos);
  EXPECT_NE(description([&] { files.FolderIdentity(gone); }).find("gone"), std::string::npos);
  const std::string not_folder =
      description([&] { files.ListDirectory(t.text() + u"/file.xls", u"", 0); });
  EXPECT_NE(not_folder.find("Not a directory"), std::string::npos) << not_folder;
}

TEST(PosixFileQueries, AFolderAndALinkToItShareTheirIdentity) {
  TempFolder t;
  t.Folder("real");
  t.Folder("other");
  t.Link("link", "real");
  PosixFileQueries files;
  const auto real = files.FolderIdentity(TextFromNativePath(t.At("real")));
  ASSERT_TRUE(real.has_value());
  EXPECT_EQ(files.FolderIdentity(TextFromNativePath(t.At("link"))), real);
  EXPECT_EQ(files.FolderIdentity(TextFromNativePath(t.At("real/"))), real);
  EXPECT_NE(files.FolderIdentity(TextFromNativePath(t.At("other"))), real);
}

TEST(PosixFileQueries, LastModifiedIsTheFileTime) {
  TempFolder t;
  t.File("a.xls");
  PosixFileQueries files;
  struct stat st {};
  ASSERT_EQ(stat(t.At("a.xls").c_str(), &st), 0);
  EXPECT_EQ(files.LastModified(TextFromNativePath(t.At("a.xls"))), st.st_mtime);
}

}  // namespace
}  // namespace brintova
