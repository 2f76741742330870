#include "support/win32/scratch_folder.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/text.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace brintova::wintest {

using win32::FileSystemPath;
using win32::FromWide;
using win32::Wide;

namespace {

// Long form for every path here: scratch trees may go past 260 characters.
std::wstring Long(std::u16string_view path) {
  const std::wstring wide = Wide(path);
  return wide.starts_with(L"\\\\?\\") ? wide : L"\\\\?\\" + wide;
}

void MakeFolders(std::u16string_view path) {
  for (std::size_t at = path.find(u'\\', 3); at != std::u16string_view::npos;
       at = path.find(u'\\', at + 1)) {
    CreateDirectoryW(Long(path.substr(0, at)).c_str(), nullptr);
  }
  CreateDirectoryW(Long(path).c_str(), nullptr);
}

}  // namespace

ScratchFolder::ScratchFolder() {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  std::u16string base = FromWide(temp);
  if (!base.empty() && base.back() == u'\\') base.pop_back();
  path_ = base + u"\\brintova-" + DecimalText(GetCurrentProcessId()) + u"-" +
          DecimalText(GetTickCount64()) + u"-" + DecimalText(counter++);
  MakeFolders(path_);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

std::u16string ScratchFolder::File(std::u16string_view relative, std::uint32_t attributes) const {
  const std::u16string path = At(relative);
  MakeFolders(std::u16string_view(path).substr(0, path.rfind(u'\\')));
  const HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE) << ToUtf8(path) << ": error " << GetLastError();
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (attributes != 0) {
    EXPECT_TRUE(SetFileAttributesW(Long(path).c_str(), attributes)) << ToUtf8(path);
  }
  return path;
}

std::u16string ScratchFolder::Folder(std::u16string_view relative, std::uint32_t attributes) const {
  const std::u16string path = At(relative);
  MakeFolders(path);
  if (attributes != 0) {
    EXPECT_TRUE(SetFileAttributesW(Long(path).c_str(), attributes | FILE_ATTRIBUTE_DIRECTORY))
        << ToUtf8(path);
  }
  return path;
}

bool RemoveTree(std::u16string_view path) {
  const std::wstring wide = Long(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return DeleteFileW(wide.c_str()) != 0;
  WIN32_FIND_DATAW data{};
  const HANDLE find = FindFirstFileW((wide + L"\\*").c_str(), &data);
  bool removed = true;
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring_view name(data.cFileName);
      if (name == L"." || name == L"..") continue;
      removed = RemoveTree(std::u16string(path) + u"\\" + FromWide(name)) && removed;
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  return RemoveDirectoryW(wide.c_str()) != 0 && removed;
}

}  // namespace brintova::wintest
