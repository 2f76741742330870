#include "window_fixture.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/operation_setting.h"
#include "platform/win32/registry_settings_store.h"
#include "platform/win32/wide_text.h"

namespace brintova::win32ui {

using win32::FromWide;
using win32::Wide;

void WindowTest::Start() {
  ForgetOperation();
  desktop.Start();
  Pump();
}

std::vector<std::u16string> WindowTest::ShownRows() {
  const HWND list = Control(u"ListView1");
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  std::vector<std::u16string> rows;
  for (int i = 0; i < count; ++i) {
    std::vector<wchar_t> text(1024, L'\0');
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    rows.push_back(FromWide(text.data()));
  }
  return rows;
}

std::u16string WindowTest::StoredOperation() {
  const std::u16string absent = u"(absent)";
  return RegistrySettingsStore().GetSetting(kSettingsApplication, kSettingsSection, kOperationKey,
                                            absent);
}

void WindowTest::ForgetOperation() {
  const std::wstring key =
      Wide(RegistrySettingsStore().SectionKey(kSettingsApplication, kSettingsSection));
  RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), Wide(kOperationKey).c_str());
}

HDROP MakeDrop(const std::vector<std::u16string>& paths) {
  std::size_t characters = 1;
  for (const std::u16string& path : paths) characters += path.size() + 1;
  const HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + characters * sizeof(wchar_t));
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  auto* at = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(header) + sizeof(DROPFILES));
  for (const std::u16string& path : paths) {
    std::memcpy(at, path.data(), path.size() * sizeof(wchar_t));
    at += path.size() + 1;  // the memory came zeroed: the NULs are there
  }
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

}  // namespace brintova::win32ui
