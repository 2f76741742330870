// The file list (ListView1): the path join rule that the folder-based adders share, and the
// ways of taking rows away (double-click, the Delete key, "Clear List").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ports.h"

namespace brintova {

inline constexpr std::int32_t kKeyCodeDelete = 46;

// folder & separator & name, then every ":" sep sep replaced by ":" sep (a drive root such as
// D:\ gives D:\name, not D:\\name). With "/" as separator a path that would begin with "//"
// (the folder is the root "/") gets its leading separator collapsed the same way. Any other
// path passes unchanged.
std::u16string JoinPath(char16_t separator, std::u16string_view folder, std::u16string_view name);

// "Clear List": removes every row. Guarded (line 100).
void PushButton1_Click(Ports& ports);

// Remove the selected row. Every failure (no row selected above all) is swallowed silently.
void ListView1_DblClick(Ports& ports);
// Removes the selected row for key code 46 (Delete); any other key is left to the control.
void ListView1_KeyDown(Ports& ports, std::int32_t key_code);

}  // namespace brintova
