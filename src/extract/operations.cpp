// The cell rules of the eleven operations and the operations themselves.
#include <algorithm>
#include <array>
#include <utility>

#include "extract/excel_extract.h"
#include "platform/failure.h"

namespace brintova::ExcelExtract {

namespace {

Failure InvalidArgument() {
  return Failure(u"Invalid procedure call or argument", kFailureInvalidArgument);
}

// The first `count` characters; all of them when there are fewer.
std::u16string Left(std::u16string_view text, std::int32_t count) {
  if (count < 0) throw InvalidArgument();
  return std::u16string(text.substr(0, static_cast<std::size_t>(count)));
}

std::u16string Right(std::u16string_view text, std::int32_t count) {
  if (count < 0) throw InvalidArgument();
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(count));
  return std::u16string(text.substr(text.size() - n));
}

// The characters from position `start` (from 1) to the end; empty past the end.
std::u16string Mid(std::u16string_view text, std::int32_t start) {
  if (start < 1) throw InvalidArgument();
  const auto from = static_cast<std::size_t>(start - 1);
  return from >= text.size() ? std::u16string() : std::u16string(text.substr(from));
}

// Position of the first occurrence of `marker`, from 1; 0 when absent.
std::int32_t Find(std::u16string_view text, std::u16string_view marker) {
  const std::size_t at = text.find(marker);
  return at == std::u16string_view::npos ? 0 : static_cast<std::int32_t>(at) + 1;
}

std::int32_t Length(std::u16string_view text) { return static_cast<std::int32_t>(text.size()); }

// Which characters a filter keeps, decided once for a whole walk: members below 128 (the
// digits of "numbers", say) from a table, a character past that by a search of the set.
class CharacterFilter {
 public:
  CharacterFilter(std::u16string set, bool keep_members)
      : set_(std::move(set)), keep_members_(keep_members) {
    for (const char16_t ch : set_) {
      if (ch < 128) ascii_[ch] = true;
    }
  }

  std::u16string operator()(std::u16string_view text) const {
    std::u16string result(text.size(), u'\0');
    std::size_t kept = 0;
    for (const char16_t ch : text) {
      const bool found = ch < 128 ? ascii_[ch] : set_.find(ch) != std::u16string::npos;
      if (found == keep_members_) result[kept++] = ch;
    }
    result.resize(kept);
    return result;
  }

 private:
  std::u16string set_;
  std::array<bool, 128> ascii_{};
  bool keep_members_;
};

CellRule FilterRule(std::u16string set, bool keep_members) {
  return [filter = CharacterFilter(std::move(set), keep_members)](std::u16string_view text,
                                                                  OutputMode) {
    return std::optional<CellResult>(CellResult{filter(text)});
  };
}

}  // namespace

std::u16string FilterCharacters(std::u16string_view text, std::u16string_view set,
                                bool keep_members) {
  return CharacterFilter(std::u16string(set), keep_members)(text);
}

std::optional<CellResult> AfterTextRule(std::u16string_view text, std::u16string_view marker) {
  const std::int32_t p = Find(text, marker);
  if (p == 0) return std::nullopt;
  return CellResult{Mid(text, p + Length(marker))};
}

std::optional<CellResult> BeforeTextRule(std::u16string_view text, std::u16string_view marker) {
  const std::int32_t p = Find(text, marker);
  if (p == 0) return std::nullopt;
  return CellResult{Left(text, p - 1)};
}

// Written only when the text is longer than x, in both modes.
std::optional<CellResult> FirstCharsRule(std::u16string_view text, std::int16_t x) {
  if (!(x < Length(text))) return std::nullopt;
  return CellResult{Left(text, x)};
}

std::optional<CellResult> LastCharsRule(std::u16string_view text, std::int16_t x) {
  if (!(x < Length(text))) return std::nullopt;
  return CellResult{Right(text, x)};
}

// New-sheet mode also writes a text of exactly x characters; new-workbook mode does not.
std::optional<CellResult> AfterPositionRule(std::u16string_view text, std::int16_t x,
                                            OutputMode mode) {
  const bool writes = mode == OutputMode::kNewSheet ? x <= Length(text) : x < Length(text);
  if (!writes) return std::nullopt;
  return CellResult{Mid(text, x)};
}

std::optional<CellResult> BeforePositionRule(std::u16string_view text, std::int16_t x,
                                             OutputMode mode) {
  const bool writes = mode == OutputMode::kNewSheet ? x <= Length(text) : x < Length(text);
  if (!writes) return std::nullopt;
  return CellResult{Left(text, x)};
}

void ExtractAlphabet(Form& form, Workbook* source, Workbook* output) {
  WalkCells(form, source, output, FilterRule(std::u16string(kAlphabetSet), true));
}

void ExtractNumbers(Form& form, Workbook* source, Workbook* output) {
  WalkCells(form, source, output, FilterRule(std::u16string(kNumberSet), true));
}

void ExtractAlphanumeric(Form& form, Workbook* source, Workbook* output) {
  WalkCells(form, source, output, FilterRule(std::u16string(kAlphanumericSet), true));
}

void ExtractNonAlphanumeric(Form& form, Workbook* source, Workbook* output) {
  WalkCells(form, source, output, FilterRule(std::u16string(kNonAlphanumericSet), false));
}

void ExtractUserDefined(Form& form, Workbook* source, std::u16string characters, Workbook* output) {
  WalkCells(form, source, output, FilterRule(std::move(characters), true));
}

void ExtractAfterText(Form& form, Workbook* source, std::u16string marker, Workbook* output) {
  WalkCells(form, source, output,
            [&](std::u16string_view text, OutputMode) { return AfterTextRule(text, marker); });
}

void ExtractBeforeText(Form& form, Workbook* source, std::u16string marker, Workbook* output) {
  WalkCells(form, source, output,
            [&](std::u16string_view text, OutputMode) { return BeforeTextRule(text, marker); });
}

void ExtractFirstChars(Form& form, Workbook* source, std::int16_t x, Workbook* output) {
  WalkCells(form, source, output,
            [x](std::u16string_view text, OutputMode) { return FirstCharsRule(text, x); });
}

void ExtractLastChars(Form& form, Workbook* source, std::int16_t x, Workbook* output) {
  WalkCells(form, source, output,
            [x](std::u16string_view text, OutputMode) { return LastCharsRule(text, x); });
}

void ExtractAfterPosition(Form& form, Workbook* source, std::int16_t x, Workbook* output) {
  WalkCells(form, source, output, [x](std::u16string_view text, OutputMode mode) {
    return AfterPositionRule(text, x, mode);
  });
}

void ExtractBeforePosition(Form& form, Workbook* source, std::int16_t x, Workbook* output) {
  WalkCells(form, source, output, [x](std::u16string_view text, OutputMode mode) {
    return BeforePositionRule(text, x, mode);
  });
}

}  // namespace brintova::ExcelExtract
