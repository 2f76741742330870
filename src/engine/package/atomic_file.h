// Saving through a temporary file in the target's folder that is renamed into place, so that
// a failed save leaves neither a half-written file nor a damaged old one.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace brintova::engine::package {

// Creates an empty temporary file beside `target` (native path), lets `write` fill it, then
// renames it over `target`. The temporary file is removed when `write` throws or the rename
// fails. Throws Failure naming the target when the folder cannot be written or the rename
// fails; lets `write`'s Failure through.
void ReplaceFileAtomically(const std::string& target,
                           const std::function<void(const std::string&)>& write);

// Throws Failure when `target` names the file `source` (both native paths; same file also
// through links or another spelling of the path).
void RefuseSavingOverSource(const std::string& target, const std::string& source);

}  // namespace brintova::engine::package
