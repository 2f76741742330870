// Numbers as a worksheet part writes them: a cell's <v> of a number, a shared string's index, a
// boolean's 0 or 1.
#pragma once

#include <optional>
#include <string_view>

namespace brintova::engine::package {

// `text` without the XML white space around it.
std::string_view TrimXmlSpace(std::string_view text);

// The number `text` writes, white space around it and a leading '+' allowed; HUGE_VAL for one
// too large for a double (shown as #NUM!); nullopt for anything that is not a number.
std::optional<double> ParseNumberText(std::string_view text);

}  // namespace brintova::engine::package
