// Per-user settings: text values addressed by application, section and key.
#pragma once

#include <string>
#include <string_view>

namespace brintova {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored text, or `default_value` when the key is absent. Throws Failure when the store
  // cannot be read.
  virtual std::u16string GetSetting(std::u16string_view application, std::u16string_view section,
                                    std::u16string_view key,
                                    std::u16string_view default_value) = 0;
  // Creates or overwrites the value. Throws Failure when the store cannot be written.
  virtual void SaveSetting(std::u16string_view application, std::u16string_view section,
                           std::u16string_view key, std::u16string_view value) = 0;
};

}  // namespace brintova
