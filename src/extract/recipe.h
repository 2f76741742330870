// A cell rule chosen from more than the window offers: one of the eleven operations with the
// marker and counting options, or the between and pattern operations. The front end checks
// what the user typed and fills a Recipe; MakeCellRule turns it into the rule a walk applies.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "extract/cell_walk.h"
#include "extract/character_count.h"
#include "extract/marker_search.h"
#include "extract/pattern_rule.h"

namespace brintova::ExcelExtract {

// Operation numbers past the window's 0 to 10.
inline constexpr std::int32_t kBetweenOperation = 11;
inline constexpr std::int32_t kPatternOperation = 12;

struct Recipe {
  std::int32_t operation = 0;  // 0 to 10 as in the window's drop-down, or one of the above
  std::u16string text;         // 4: the characters to keep; 5 and 6: the marker
  std::int16_t number = 0;     // 7 to 10: x
  MarkerOptions marker;        // 5, 6 and between
  std::u16string after;        // between: the opening marker
  std::u16string before;       // between: the closing marker
  std::shared_ptr<const Pattern> pattern;   // pattern
  CountUnit count = CountUnit::kCodeUnits;  // 7 to 10
};

// The rule of `recipe` for one thread (a pattern's matcher is not shared between threads).
// With default options the rules of 0 to 10 are exactly the window's. Throws Failure for a
// recipe no rule can come from: an operation out of range, an empty marker or character set,
// a pattern operation without a pattern.
CellRule MakeCellRule(const Recipe& recipe);

}  // namespace brintova::ExcelExtract
