// RegistrySettingsStore: the settings port in the registry, where the classic per-user settings
// live: HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>, one
// REG_SZ value per key.
#pragma once

#include <string>
#include <string_view>

#include "platform/settings_store.h"

namespace brintova {

inline constexpr std::u16string_view kProgramSettingsKey = u"Software\\VB and VBA Program Settings";

class RegistrySettingsStore : public SettingsStore {
 public:
  // `root` is the key under HKEY_CURRENT_USER that holds the applications.
  explicit RegistrySettingsStore(std::u16string_view root = kProgramSettingsKey) : root_(root) {}

  // A value of another type than REG_SZ reads as absent, as does a missing key.
  std::u16string GetSetting(std::u16string_view application, std::u16string_view section,
                            std::u16string_view key, std::u16string_view default_value) override;
  void SaveSetting(std::u16string_view application, std::u16string_view section,
                   std::u16string_view key, std::u16string_view value) override;

  // The key of one section, below HKEY_CURRENT_USER.
  std::u16string SectionKey(std::u16string_view application, std::u16string_view section) const;

 private:
  std::u16string root_;
};

}  // namespace brintova
