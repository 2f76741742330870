// Marker rules with choices the window does not offer: which occurrence of the marker counts
// (the n-th from the start, or from the end), letter case ignored by Unicode simple case
// folding, and the text between two markers. Offsets are UTF-16 code units.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "extract/cell_walk.h"

namespace brintova::ExcelExtract {

struct MarkerOptions {
  // 1 is the first occurrence, 2 the second, ...; -1 the last, -2 the one before it. Never 0.
  std::int32_t occurrence = 1;
  // Compare by simple case folding: "Ä" matches "ä", "ẞ" matches "ß" (but "ß" never "ss").
  bool ignore_case = false;
};

// Where one occurrence lies: code units [begin, end).
struct TextSpan {
  std::size_t begin = 0;
  std::size_t end = 0;
};

// The text with every code point replaced by its simple case folding; same length, so offsets
// into it are offsets into `text`.
std::u16string FoldCase(std::u16string_view text);

// The occurrence of the non-empty `marker` in `text` that `options` choose. Occurrences do not
// overlap: counting from the start each search begins where the previous occurrence ended;
// counting from the end each one ends where the next one began. nullopt when there are fewer
// occurrences than asked for, or for occurrence 0.
std::optional<TextSpan> FindMarker(std::u16string_view text, std::u16string_view marker,
                                   const MarkerOptions& options);

// What follows / precedes the chosen occurrence of `marker`; nullopt (no write) when it is
// absent. With the default options these are the rules of operations 5 and 6.
std::optional<CellResult> AfterMarkerRule(std::u16string_view text, std::u16string_view marker,
                                          const MarkerOptions& options);
std::optional<CellResult> BeforeMarkerRule(std::u16string_view text, std::u16string_view marker,
                                           const MarkerOptions& options);

// The text between the chosen occurrence of `after` and the first `before` that begins at or
// past its end ("" when they touch); nullopt when either is missing. `options.ignore_case`
// applies to both markers, `options.occurrence` to `after`.
std::optional<CellResult> BetweenMarkersRule(std::u16string_view text, std::u16string_view after,
                                             std::u16string_view before,
                                             const MarkerOptions& options);

}  // namespace brintova::ExcelExtract
