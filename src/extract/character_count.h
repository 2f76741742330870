// Operations 7 to 10 counting user-perceived characters (extended grapheme clusters) instead of
// UTF-16 code units: "👍🏽", "🇩🇪" and "e" with a combining accent are one character each,
// so a cut never leaves half of one. The segmentation is ICU's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "extract/cell_walk.h"

namespace brintova::ExcelExtract {

// What x and the text's length count in operations 7 to 10.
enum class CountUnit { kCodeUnits, kCharacters };

// The code-unit offset where each character of `text` begins, then text.size(): n characters
// give n + 1 offsets, the empty text {0}. Throws Failure when ICU cannot segment.
std::vector<std::size_t> CharacterBoundaries(std::u16string_view text);

// The rules of operations 7 to 10 with x and the length L in characters. When and what they
// write follows the code-unit rules exactly (x < L; x <= L in new-sheet mode for 9 and 10),
// and After x on x <= 0 throws Failure (invalid argument) as it does there.
std::optional<CellResult> FirstCharactersRule(std::u16string_view text, std::int16_t x);
std::optional<CellResult> LastCharactersRule(std::u16string_view text, std::int16_t x);
std::optional<CellResult> AfterCharacterPositionRule(std::u16string_view text, std::int16_t x,
                                                     OutputMode mode);
std::optional<CellResult> BeforeCharacterPositionRule(std::u16string_view text, std::int16_t x,
                                                      OutputMode mode);

}  // namespace brintova::ExcelExtract
