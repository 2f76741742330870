// Grapheme-cluster boundaries from ICU and the character-counting rules of operations 7 to 10.
#include "extract/character_count.h"

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <memory>
#include <string>

#include "platform/failure.h"

namespace brintova::ExcelExtract {

namespace {

// One break iterator per thread: building one loads ICU's rules, far dearer than a cell.
icu::BreakIterator& CharacterIterator() {
  thread_local std::unique_ptr<icu::BreakIterator> iterator;
  if (!iterator) {
    UErrorCode status = U_ZERO_ERROR;
    iterator.reset(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !iterator) {
      iterator.reset();
      throw Failure(std::string("Cannot split text into characters: ICU's character rules "
                                "could not be loaded (") +
                    u_errorName(status) + ").");
    }
  }
  return *iterator;
}

std::int32_t Count(const std::vector<std::size_t>& boundaries) {
  return static_cast<std::int32_t>(boundaries.size()) - 1;
}

// The first `x` characters (all of them when there are fewer).
CellResult Left(std::u16string_view text, const std::vector<std::size_t>& boundaries,
                std::int32_t x) {
  const std::int32_t n = std::min(x, Count(boundaries));
  return CellResult{std::u16string(text.substr(0, boundaries[static_cast<std::size_t>(n)]))};
}

}  // namespace

std::vector<std::size_t> CharacterBoundaries(std::u16string_view text) {
  std::vector<std::size_t> boundaries;
  if (text.empty()) {
    boundaries.push_back(0);
    return boundaries;
  }
  UErrorCode status = U_ZERO_ERROR;
  UText* utext = utext_openUChars(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
  if (U_FAILURE(status)) {
    throw Failure(std::string("Cannot split text into characters (") + u_errorName(status) + ").");
  }
  icu::BreakIterator& iterator = CharacterIterator();
  iterator.setText(utext, status);
  if (U_FAILURE(status)) {
    utext_close(utext);
    throw Failure(std::string("Cannot split text into characters (") + u_errorName(status) + ").");
  }
  for (std::int32_t at = iterator.first(); at != icu::BreakIterator::DONE; at = iterator.next()) {
    boundaries.push_back(static_cast<std::size_t>(at));
  }
  // The iterator must not keep a text that goes away with this call.
  iterator.setText(icu::UnicodeString());
  utext_close(utext);
  return boundaries;
}

std::optional<CellResult> FirstCharactersRule(std::u16string_view text, std::int16_t x) {
  const std::vector<std::size_t> boundaries = CharacterBoundaries(text);
  if (!(x < Count(boundaries))) return std::nullopt;
  if (x < 0) throw Failure(u"Invalid procedure call or argument", kFailureInvalidArgument);
  return Left(text, boundaries, x);
}

std::optional<CellResult> LastCharactersRule(std::u16string_view text, std::int16_t x) {
  const std::vector<std::size_t> boundaries = CharacterBoundaries(text);
  const std::int32_t length = Count(boundaries);
  if (!(x < length)) return std::nullopt;
  if (x < 0) throw Failure(u"Invalid procedure call or argument", kFailureInvalidArgument);
  const std::size_t from = boundaries[static_cast<std::size_t>(length - x)];
  return CellResult{std::u16string(text.substr(from))};
}

std::optional<CellResult> AfterCharacterPositionRule(std::u16string_view text, std::int16_t x,
                                                     OutputMode mode) {
  const std::vector<std::size_t> boundaries = CharacterBoundaries(text);
  const std::int32_t length = Count(boundaries);
  const bool writes = mode == OutputMode::kNewSheet ? x <= length : x < length;
  if (!writes) return std::nullopt;
  if (x < 1) throw Failure(u"Invalid procedure call or argument", kFailureInvalidArgument);
  return CellResult{std::u16string(text.substr(boundaries[static_cast<std::size_t>(x - 1)]))};
}

std::optional<CellResult> BeforeCharacterPositionRule(std::u16string_view text, std::int16_t x,
                                                      OutputMode mode) {
  const std::vector<std::size_t> boundaries = CharacterBoundaries(text);
  const std::int32_t length = Count(boundaries);
  const bool writes = mode == OutputMode::kNewSheet ? x <= length : x < length;
  if (!writes) return std::nullopt;
  if (x < 0) throw Failure(u"Invalid procedure call or argument", kFailureInvalidArgument);
  return Left(text, boundaries, x);
}

}  // namespace brintova::ExcelExtract
