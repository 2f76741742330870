// The command line's words: operation names, and the manual that --help prints.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brintova::cli {

// Operation names in Combo1's order: the operation's name in kebab case without "Extract".
inline constexpr std::array<std::string_view, 11> kOperationNames = {
    "alphabet",     "numbers",        "alphanumeric",   "non-alphanumeric",
    "user-defined", "after-text",     "before-text",    "first-chars",
    "last-chars",   "after-position", "before-position"};

// The operation index of "0" to "10" or of a name above (exactly as written); nullopt for
// anything else.
std::optional<std::int32_t> ParseOperation(std::string_view text);

// Operations 4 to 10 ask for a parameter for every workbook.
inline bool OperationTakesParameter(std::int32_t operation) { return operation >= 4; }

// Why `parameter` can never work for `operation` (a valid index), as the words of a usage
// error; nullopt when it can. Operations 4 to 6 need a text that is not empty, 7 to 10 a
// number that rounds (halves to even) to a whole number from 1 to 32767: anything else would
// leave every workbook unchanged or fail on every one.
std::optional<std::string> ParameterRefusal(std::int32_t operation, std::string_view parameter);

// The manual page printed by --help.
std::string ManualText(std::string_view version);

}  // namespace brintova::cli
