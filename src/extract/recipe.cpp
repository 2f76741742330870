// From a Recipe to the cell rule it stands for.
#include "extract/recipe.h"

#include "extract/excel_extract.h"
#include "platform/failure.h"

namespace brintova::ExcelExtract {

namespace {

CellRule Filter(std::u16string set, bool keep_members) {
  return [set = std::move(set), keep_members](std::u16string_view text, OutputMode) {
    return std::optional<CellResult>(CellResult{FilterCharacters(text, set, keep_members)});
  };
}

void RequireText(const std::u16string& text, const char* what) {
  if (text.empty()) throw Failure(std::string("The ") + what + " is empty.");
}

}  // namespace

CellRule MakeCellRule(const Recipe& recipe) {
  const bool characters = recipe.count == CountUnit::kCharacters;
  const std::int16_t x = recipe.number;
  switch (recipe.operation) {
    case 0:
      return Filter(std::u16string(kAlphabetSet), true);
    case 1:
      return Filter(std::u16string(kNumberSet), true);
    case 2:
      return Filter(std::u16string(kAlphanumericSet), true);
    case 3:
      return Filter(std::u16string(kNonAlphanumericSet), false);
    case 4:
      RequireText(recipe.text, "set of characters to keep");
      return Filter(recipe.text, true);
    case 5:
      RequireText(recipe.text, "marker");
      return [marker = recipe.text, options = recipe.marker](std::u16string_view text, OutputMode) {
        return AfterMarkerRule(text, marker, options);
      };
    case 6:
      RequireText(recipe.text, "marker");
      return [marker = recipe.text, options = recipe.marker](std::u16string_view text, OutputMode) {
        return BeforeMarkerRule(text, marker, options);
      };
    case 7:
      return [x, characters](std::u16string_view text, OutputMode) {
        return characters ? FirstCharactersRule(text, x) : FirstCharsRule(text, x);
      };
    case 8:
      return [x, characters](std::u16string_view text, OutputMode) {
        return characters ? LastCharactersRule(text, x) : LastCharsRule(text, x);
      };
    case 9:
      return [x, characters](std::u16string_view text, OutputMode mode) {
        return characters ? AfterCharacterPositionRule(text, x, mode)
                          : AfterPositionRule(text, x, mode);
      };
    case 10:
      return [x, characters](std::u16string_view text, OutputMode mode) {
        return characters ? BeforeCharacterPositionRule(text, x, mode)
                          : BeforePositionRule(text, x, mode);
      };
    case kBetweenOperation:
      RequireText(recipe.after, "opening marker");
      RequireText(recipe.before, "closing marker");
      return [after = recipe.after, before = recipe.before, options = recipe.marker](
                 std::u16string_view text, OutputMode) {
        return BetweenMarkersRule(text, after, before, options);
      };
    case kPatternOperation: {
      if (!recipe.pattern) throw Failure("The pattern operation was given no pattern.");
      auto matcher = std::make_shared<PatternMatcher>(recipe.pattern);
      return [matcher](std::u16string_view text, OutputMode) { return matcher->Apply(text); };
    }
    default:
      throw Failure("There is no operation " + std::to_string(recipe.operation) + ".");
  }
}

}  // namespace brintova::ExcelExtract
