// Win32FileQueries on real folders: the attribute bits as SetFileAttributesW leaves them, the
// listing's attribute mask and pattern, names outside the ANSI code page, long paths, times
// and identities, and failures that name the path.
#include "platform/win32/win32_file_queries.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/failure.h"
#include "platform/text.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"
#include "support/win32/scratch_folder.h"

namespace brintova {
namespace {

using Names = std::vector<std::u16string>;
using wintest::ScratchFolder;

Names Sorted(Names names) {
  std::sort(names.begin(), names.end());
  return names;
}

constexpr std::uint32_t kHiddenArchive = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;

TEST(Win32FileQueries, ReadsTheAttributeBitsTheSystemKeeps) {
  ScratchFolder scratch;
  Win32FileQueries files;
  EXPECT_EQ(files.GetAttributes(scratch.File(u"hidden.xls", kHiddenArchive)), 34u);
  EXPECT_EQ(
      files.GetAttributes(scratch.File(u"read-only.xls", kHiddenArchive | FILE_ATTRIBUTE_READONLY)),
      35u);
  EXPECT_EQ(
      files.GetAttributes(scratch.File(u"system.xls", kHiddenArchive | FILE_ATTRIBUTE_SYSTEM)),
      38u);
  EXPECT_NE(files.GetAttributes(scratch.File(u"plain.xls")) & file_attribute::kArchive, 0u);
  EXPECT_EQ(files.GetAttributes(scratch.Folder(u"Sub")) &
                (file_attribute::kDirectory | file_attribute::kHidden),
            file_attribute::kDirectory);
  EXPECT_EQ(files.GetAttributes(scratch.Folder(u"Hid", FILE_ATTRIBUTE_HIDDEN)) &
                (file_attribute::kDirectory | file_attribute::kHidden),
            file_attribute::kDirectory | file_attribute::kHidden);
  // The port's bit values are the system's.
  EXPECT_EQ(file_attribute::kHidden, static_cast<std::uint32_t>(FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(file_attribute::kSystem, static_cast<std::uint32_t>(FILE_ATTRIBUTE_SYSTEM));
  EXPECT_EQ(file_attribute::kDirectory, static_cast<std::uint32_t>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(file_attribute::kArchive, static_cast<std::uint32_t>(FILE_ATTRIBUTE_ARCHIVE));
}

TEST(Win32FileQueries, ListsByTheAttributeMask) {
  ScratchFolder scratch;
  scratch.File(u"a.xls");
  scratch.File(u"h.xls", FILE_ATTRIBUTE_HIDDEN);
  scratch.File(u"s.xls", FILE_ATTRIBUTE_SYSTEM);
  scratch.Folder(u"Sub");
  scratch.Folder(u"HidSub", FILE_ATTRIBUTE_HIDDEN);
  scratch.Folder(u"SysSub", FILE_ATTRIBUTE_SYSTEM);
  Win32FileQueries files;
  const std::u16string folder = scratch.path() + u"\\";
  // The file listing: ordinary, hidden and system files, never folders.
  EXPECT_EQ(Sorted(files.ListDirectory(folder, u"*.*",
                                       file_attribute::kHidden | file_attribute::kSystem)),
            (Names{u"a.xls", u"h.xls", u"s.xls"}));
  EXPECT_EQ(files.ListDirectory(folder, u"*.*", 0), (Names{u"a.xls"}));
  // The folder listing: ordinary files and folders, nothing hidden or system, "." and "..".
  EXPECT_EQ(Sorted(files.ListDirectory(folder, u"", file_attribute::kDirectory)),
            (Names{u".", u"..", u"Sub", u"a.xls"}));
  // The folder may come without its separator.
  EXPECT_EQ(files.ListDirectory(scratch.path(), u"a*", 0), (Names{u"a.xls"}));
}

TEST(Win32FileQueries, APatternAdmitsOnlyNamesItMatchesNotTheirShortNames) {
  ScratchFolder scratch;
  for (const char16_t* name :
       {u"Book.xls", u"b.XLS", u"c.xlsx", u"d.xlsm", u"Long name.xlsx", u"e.xls.bak", u"f.txt"}) {
    scratch.File(name);
  }
  Win32FileQueries files;
  const auto list = [&](std::u16string_view pattern) {
    return Sorted(files.ListDirectory(scratch.path(), pattern,
                                      file_attribute::kHidden | file_attribute::kSystem));
  };
  EXPECT_EQ(list(u"*.xls"), (Names{u"Book.xls", u"b.XLS"}));
  EXPECT_EQ(list(u"*.XLSX"), (Names{u"Long name.xlsx", u"c.xlsx"}));
  EXPECT_EQ(list(u"*.xl*"),
            (Names{u"Book.xls", u"Long name.xlsx", u"b.XLS", u"c.xlsx", u"d.xlsm", u"e.xls.bak"}));
  EXPECT_EQ(list(u"?.xls"), (Names{u"b.XLS"}));
  EXPECT_EQ(list(u"*.doc"), Names{});
}

TEST(Win32FileQueries, NamesOutsideTheAnsiCodePage) {
  ScratchFolder scratch;
  const std::u16string german = u"\u00dcberweisung J\u00e4n.xlsx";
  const std::u16string chinese = u"\u62a5\u8868 \u4e2d\u6587.xlsx";
  const std::u16string greek = u"\u0391\u03c1\u03c7\u03b5\u03af\u03bf";
  scratch.File(german);
  scratch.File(greek + u"\\" + chinese);
  Win32FileQueries files;
  EXPECT_EQ(Sorted(files.ListDirectory(scratch.path(), u"*.xlsx", 0)), (Names{german}));
  EXPECT_EQ(files.ListDirectory(scratch.At(greek), u"*.XLSX", 0), (Names{chinese}));
  EXPECT_NE(files.GetAttributes(scratch.At(greek + u"\\" + chinese)) & file_attribute::kArchive,
            0u);
  EXPECT_NO_THROW(files.LastModified(scratch.At(german)));
}

TEST(Win32FileQueries, ReadsPathsLongerThan260Characters) {
  ScratchFolder scratch;
  std::u16string relative;
  for (int i = 0; i < 8; ++i) relative += (i ? u"\\" : u"") + std::u16string(40, u'a' + i);
  const std::u16string file = scratch.File(relative + u"\\deep.xls");
  ASSERT_GT(file.size(), 320u);
  Win32FileQueries files;
  EXPECT_EQ(files.ListDirectory(scratch.At(relative), u"*.xls", 0), (Names{u"deep.xls"}));
  EXPECT_NE(files.GetAttributes(file) & file_attribute::kArchive, 0u);
  EXPECT_NO_THROW(files.LastModified(file));
  EXPECT_TRUE(files.FolderIdentity(scratch.At(relative)).has_value());
}

TEST(Win32FileQueries, LastModifiedIsTheFileTimeInSecondsSince1970) {
  ScratchFolder scratch;
  const std::u16string path = scratch.File(u"dated.xls");
  // 19 February 2015, 12:00 UTC.
  constexpr std::int64_t kSeconds = 1'424'347'200;
  ULARGE_INTEGER ticks{};
  ticks.QuadPart = (kSeconds + 11'644'473'600ULL) * 10'000'000ULL;
  const FILETIME time{ticks.LowPart, ticks.HighPart};
  const HANDLE file = CreateFileW(win32::Wide(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
  CloseHandle(file);
  EXPECT_EQ(Win32FileQueries().LastModified(path), kSeconds);
}

TEST(Win32FileQueries, AFolderHasOneIdentityHoweverItIsWritten) {
  ScratchFolder scratch;
  scratch.Folder(u"One\\Inner");
  scratch.Folder(u"Two");
  Win32FileQueries files;
  const std::optional<std::string> one = files.FolderIdentity(scratch.At(u"One"));
  ASSERT_TRUE(one.has_value());
  EXPECT_EQ(files.FolderIdentity(scratch.At(u"One\\")), one);
  EXPECT_EQ(files.FolderIdentity(scratch.At(u"One\\Inner\\..")), one);
  EXPECT_NE(files.FolderIdentity(scratch.At(u"Two")), one);
  EXPECT_NE(files.FolderIdentity(scratch.At(u"One\\Inner")), one);
}

TEST(Win32FileQueries, FailuresNameThePathAndTheReason) {
  ScratchFolder scratch;
  const std::u16string missing = scratch.At(u"missing.xls");
  Win32FileQueries files;
  const auto description = [](auto&& call) -> std::u16string {
    try {
      call();
    } catch (const Failure& failure) {
      return failure.description();
    }
    return u"(no failure)";
  };
  for (const std::u16string& text :
       {description([&] { files.GetAttributes(missing); }),
        description([&] { files.LastModified(missing); }),
        description([&] { files.FolderIdentity(missing); }),
        description([&] { files.ListDirectory(scratch.At(u"no such folder"), u"*.*", 0); })}) {
    EXPECT_NE(text.find(scratch.path()), std::u16string::npos) << ToUtf8(text);
    // The system's reason follows the quoted path.
    const std::size_t reason = text.rfind(u"\": ");
    ASSERT_NE(reason, std::u16string::npos) << ToUtf8(text);
    EXPECT_GT(text.size(), reason + 5) << ToUtf8(text);
  }
  // A folder that exists but holds no match is an empty listing, not a failure.
  EXPECT_EQ(files.ListDirectory(scratch.path(), u"*.xls", 0), Names{});
}

}  // namespace
}  // namespace brintova
