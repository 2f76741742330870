// The open-file dialog: the filter and result texts it trades with the system, and the real
// dialog driven by typing names into it, as many as fit and more.
#include "platform/win32/win32_file_dialog.h"

#include <dlgs.h>
#include <gtest/gtest.h>

#include "filelist/open_file_dialog.h"
#include "platform/failure.h"
#include "platform/text.h"
#include "platform/win32/wide_text.h"
#include "support/win32/desktop_driver.h"
#include "support/win32/scratch_folder.h"

namespace brintova {
namespace {

using wintest::BoxAnswerer;
using wintest::Click;

std::vector<wchar_t> Buffer(std::wstring_view text) {
  std::vector<wchar_t> buffer(text.begin(), text.end());
  buffer.resize(kOpenFileResultSize, L'\0');
  return buffer;
}

TEST(Win32FileDialogText, FilterPiecesEndInNul) {
  EXPECT_EQ(SystemFilter(kOpenFileDialogFilter),
            std::wstring(L"Excel Files (*.xl*)\0*.xl*\0\0", 27));
  EXPECT_EQ(SystemFilter(u"All|*.*|Text|*.txt"), std::wstring(L"All\0*.*\0Text\0*.txt\0\0", 20));
}

TEST(Win32FileDialogText, TheLengthCountsEveryNul) {
  EXPECT_EQ(ResultLength(Buffer(L"C:\\a.xls")), 9u);
  EXPECT_EQ(ResultLength(Buffer(std::wstring(L"C:\\\0a.xls\0b.xls\0", 16))), 17u);
  EXPECT_EQ(ResultLength(Buffer(L"")), 0u);
}

TEST(Win32FileDialogText, OneFileIsItsPathSeveralAreTheFolderAndTheNames) {
  EXPECT_EQ(FileNameFromResult(Buffer(L"C:\\Data\\J\u00e4n.xls")), u"C:\\Data\\J\u00e4n.xls");
  EXPECT_EQ(FileNameFromResult(Buffer(std::wstring(L"C:\\\0a.xls\0b.xls\0", 16))),
            std::u16string(u"C:\\\0a.xls\0b.xls", 15));
  EXPECT_EQ(FileNameFromResult(Buffer(L"")), u"");
  // A result that fills the whole buffer, with no room left for the final NUL.
  const std::wstring full(kOpenFileResultSize, L'x');
  EXPECT_EQ(FileNameFromResult(std::vector<wchar_t>(full.begin(), full.end())),
            std::u16string(kOpenFileResultSize, u'x'));
}

// The dialog as "Add Excel File(s)" sets it up, in the scratch folder, answered by typing
// `typed` into its file-name field and pressing OK (or Cancel when `typed` is empty).
class OpenFileDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char16_t* name : {u"a.xls", u"b.xlsx", u"\u00dcberweisung J\u00e4n.xlsx"}) {
      scratch_.File(name);
    }
    SetCurrentDirectoryW(win32::Wide(scratch_.path()).c_str());
    dialog_.SetFileName(u"");
    dialog_.SetFlags(kOpenFileDialogFlags);
    dialog_.SetDialogTitle(kOpenFileDialogTitle);
    dialog_.SetFilter(kOpenFileDialogFilter);
  }
  void TearDown() override {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    SetCurrentDirectoryW(temp);  // so the scratch folder can go
  }

  void Answer(std::u16string_view typed) {
    BoxAnswerer answerer(std::u16string(kOpenFileDialogTitle), [&](HWND box) {
      file_types_ = wintest::WindowText(GetDlgItem(box, cmb1));
      HWND name = GetDlgItem(box, cmb13);
      if (name == nullptr) name = GetDlgItem(box, edt1);
      if (typed.empty()) {
        Click(box, IDCANCEL);
        return;
      }
      SetWindowTextW(name, win32::Wide(typed).c_str());
      Click(box, IDOK);
    });
    dialog_.ShowOpen();
    answerer.Join();
    EXPECT_TRUE(answerer.found());
  }

  wintest::ScratchFolder scratch_;
  Win32FileDialog dialog_;
  std::u16string file_types_;
};

TEST_F(OpenFileDialog, OneChosenFileIsItsFullPath) {
  Answer(u"\"\u00dcberweisung J\u00e4n.xlsx\"");
  EXPECT_EQ(dialog_.FileName(), scratch_.At(u"\u00dcberweisung J\u00e4n.xlsx"));
  EXPECT_EQ(file_types_, u"Excel Files (*.xl*)");
}

TEST_F(OpenFileDialog, SeveralAreTheFolderAndTheNamesSeparatedByNul) {
  Answer(u"\"a.xls\" \"b.xlsx\"");
  const std::u16string name = dialog_.FileName();
  EXPECT_EQ(name.substr(0, name.find(u'\0')), scratch_.path());
  EXPECT_EQ(name.substr(name.find(u'\0')), std::u16string(u"\0a.xls\0b.xlsx", 13));
}

TEST_F(OpenFileDialog, CancelLeavesTheNameEmpty) {
  dialog_.SetFileName(u"left over");
  Answer(u"");
  EXPECT_EQ(dialog_.FileName(), u"");
}

TEST_F(OpenFileDialog, AsManyAsFitAreListed) {
  // The folder, its NUL, then names and NULs up to exactly 260 characters with the final NUL.
  const std::size_t room = kOpenFileResultSize - (scratch_.path().size() + 1) - 1;
  std::u16string typed, expected = scratch_.path();
  std::size_t used = 0;
  for (int i = 0; used < room; ++i) {
    std::size_t length = room - used - 1;  // the last name takes the rest
    if (length > 20) length = std::min<std::size_t>(20, length - 8);  // the next gets 7 or more
    std::u16string name = DecimalText(i) + u"-";
    name.resize(length, u'x');
    scratch_.File(name);
    typed += u"\"" + name + u"\" ";
    expected += u'\0' + name;
    used += name.size() + 1;
  }
  ASSERT_EQ(used, room);
  Answer(typed);
  EXPECT_EQ(dialog_.FileName(), expected);
}

TEST_F(OpenFileDialog, MoreThanFitsIsTheTooSmallFailure) {
  std::u16string typed;
  for (int i = 0; i < 20; ++i) {
    const std::u16string name = u"Quarterly report " + DecimalText(i) + u".xls";
    scratch_.File(name);
    typed += u"\"" + name + u"\" ";
  }
  try {
    Answer(typed);
    ADD_FAILURE() << "no failure; the dialog answered " << ToUtf8(dialog_.FileName());
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.number(), kFailureDialogBufferTooSmall);
  }
}

}  // namespace
}  // namespace brintova
