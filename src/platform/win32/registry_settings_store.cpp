#include "platform/win32/registry_settings_store.h"

#include <vector>

#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace brintova {

using win32::FromWide;
using win32::SystemFailure;
using win32::Wide;

namespace {

struct KeyCloser {
  HKEY key = nullptr;
  ~KeyCloser() {
    if (key != nullptr) RegCloseKey(key);
  }
};

}  // namespace

std::u16string RegistrySettingsStore::SectionKey(std::u16string_view application,
                                                 std::u16string_view section) const {
  return root_ + u"\\" + std::u16string(application) + u"\\" + std::u16string(section);
}

std::u16string RegistrySettingsStore::GetSetting(std::u16string_view application,
                                                 std::u16string_view section,
                                                 std::u16string_view key,
                                                 std::u16string_view default_value) {
  const std::u16string section_key = SectionKey(application, section);
  const std::wstring subkey = Wide(section_key);
  const std::wstring name = Wide(key);
  // The value may change size between asking and reading; ask again until it fits.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD bytes = 0;
    LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), name.c_str(), RRF_RT_REG_SZ,
                                  nullptr, nullptr, &bytes);
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_UNSUPPORTED_TYPE) {
      return std::u16string(default_value);
    }
    if (status != ERROR_SUCCESS) {
      throw SystemFailure(u"Cannot read the setting", section_key + u"\\" + std::u16string(key),
                          static_cast<DWORD>(status));
    }
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    status = RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                          buffer.data(), &bytes);
    if (status == ERROR_MORE_DATA) continue;
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_UNSUPPORTED_TYPE) {
      return std::u16string(default_value);
    }
    if (status != ERROR_SUCCESS) {
      throw SystemFailure(u"Cannot read the setting", section_key + u"\\" + std::u16string(key),
                          static_cast<DWORD>(status));
    }
    return FromWide(buffer.data());
  }
  throw Failure(u"Cannot read the setting \"" + section_key + u"\\" + std::u16string(key) +
                u"\": it keeps changing while it is read");
}

void RegistrySettingsStore::SaveSetting(std::u16string_view application,
                                        std::u16string_view section, std::u16string_view key,
                                        std::u16string_view value) {
  const std::u16string section_key = SectionKey(application, section);
  KeyCloser opened;
  LSTATUS status =
      RegCreateKeyExW(HKEY_CURRENT_USER, Wide(section_key).c_str(), 0, nullptr,
                      REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &opened.key, nullptr);
  if (status != ERROR_SUCCESS) {
    throw SystemFailure(u"Cannot save the setting", section_key, static_cast<DWORD>(status));
  }
  const std::wstring text = Wide(value);
  status = RegSetValueExW(opened.key, Wide(key).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  if (status != ERROR_SUCCESS) {
    throw SystemFailure(u"Cannot save the setting", section_key + u"\\" + std::u16string(key),
                        static_cast<DWORD>(status));
  }
}

}  // namespace brintova
