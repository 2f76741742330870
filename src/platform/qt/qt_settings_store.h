// The per-user settings store as an INI file: application "Korvane" is the file Korvane.ini in
// $XDG_CONFIG_HOME (or ~/.config), a section is an INI group, values are text.
#pragma once

#include <QString>

#include "platform/settings_store.h"

namespace brintova {

class QtSettingsStore : public SettingsStore {
 public:
  // Throws Failure when the file cannot be read or is not an INI file.
  std::u16string GetSetting(std::u16string_view application, std::u16string_view section,
                            std::u16string_view key, std::u16string_view default_value) override;
  // Throws Failure when the file cannot be written.
  void SaveSetting(std::u16string_view application, std::u16string_view section,
                   std::u16string_view key, std::u16string_view value) override;
};

// The file that holds `application`'s settings, looked up afresh on every call so the
// environment in force at that moment decides.
QString SettingsFilePath(std::u16string_view application);

}  // namespace brintova
