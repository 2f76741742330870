// The chosen operation, remembered per user under application "Korvane", section "Brintova",
// key "Combo1", as decimal text.
#pragma once

#include <string_view>

#include "platform/ports.h"

namespace brintova {

inline constexpr std::u16string_view kSettingsApplication = u"Korvane";
inline constexpr std::u16string_view kSettingsSection = u"Brintova";
inline constexpr std::u16string_view kOperationKey = u"Combo1";

// Both save the drop-down's current index, every time they run (re-picking the same entry and
// the selection start-up makes included). Throw Failure when the store cannot be written.
void Combo1_Click(Ports& ports);
void Combo1_Change(Ports& ports);

}  // namespace brintova
