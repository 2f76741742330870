// MemorySettings: a settings store in a map; can be told to fail on reads or writes.
#pragma once

#include <map>
#include <string>
#include <tuple>

#include "platform/failure.h"
#include "platform/settings_store.h"

namespace brintova::testing {

class MemorySettings : public SettingsStore {
 public:
  using Key = std::tuple<std::u16string, std::u16string, std::u16string>;
  std::map<Key, std::u16string> values;
  bool fail_reads = false;
  int saves = 0;

  std::u16string GetSetting(std::u16string_view application, std::u16string_view section,
                            std::u16string_view key, std::u16string_view default_value) override {
    if (fail_reads) throw Failure(u"The settings file cannot be read");
    const auto it = values.find(Key(application, section, key));
    return it == values.end() ? std::u16string(default_value) : it->second;
  }
  void SaveSetting(std::u16string_view application, std::u16string_view section,
                   std::u16string_view key, std::u16string_view value) override {
    ++saves;
    values[Key(application, section, key)] = std::u16string(value);
  }
};

}  // namespace brintova::testing
