// Cell constructors and cell-reference text: "C5" and back.
#include "engine/model/cell.h"

namespace brintova::engine::model {

namespace {
Cell Make(std::int32_t column, CellType type, std::uint32_t style) {
  Cell c;
  c.column = static_cast<std::uint16_t>(column);
  c.type = type;
  c.style = style;
  return c;
}
}  // namespace

Cell Cell::Empty(std::int32_t column, std::uint32_t style) {
  return Make(column, CellType::kEmpty, style);
}
Cell Cell::Number(std::int32_t column, double value, std::uint32_t style) {
  Cell c = Make(column, CellType::kNumber, style);
  c.number = value;
  return c;
}
Cell Cell::SharedString(std::int32_t column, std::uint32_t index, std::uint32_t style) {
  Cell c = Make(column, CellType::kSharedString, style);
  c.index = index;
  return c;
}
Cell Cell::OwnedString(std::int32_t column, std::uint32_t index, std::uint32_t style) {
  Cell c = Make(column, CellType::kOwnedString, style);
  c.index = index;
  return c;
}
Cell Cell::Boolean(std::int32_t column, bool value, std::uint32_t style) {
  Cell c = Make(column, CellType::kBoolean, style);
  c.boolean = value;
  return c;
}
Cell Cell::Error(std::int32_t column, ErrorValue value, std::uint32_t style) {
  Cell c = Make(column, CellType::kError, style);
  c.error = value;
  return c;
}

void CutCellText(std::u16string& text) {
  if (text.size() <= kMaxCellText) return;
  std::size_t n = kMaxCellText;
  if (text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  text.resize(n);
}

std::optional<std::int32_t> ColumnFromLetters(std::string_view letters) {
  if (letters.empty() || letters.size() > 3) return std::nullopt;
  std::int32_t column = 0;
  for (char ch : letters) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    if (ch < 'A' || ch > 'Z') return std::nullopt;
    column = column * 26 + (ch - 'A' + 1);
  }
  if (column > kMaxColumns) return std::nullopt;
  return column;
}

std::string ColumnLetters(std::int32_t column) {
  std::string letters;
  while (column > 0) {
    const int digit = (column - 1) % 26;
    letters.insert(letters.begin(), static_cast<char>('A' + digit));
    column = (column - 1) / 26;
  }
  return letters;
}

std::string CellReference(std::int32_t row, std::int32_t column) {
  return ColumnLetters(column) + std::to_string(row);
}

std::optional<ParsedReference> ParseCellReference(std::string_view text) {
  constexpr std::int64_t kClamp = std::int64_t{1} << 40;
  ParsedReference ref;
  std::size_t i = 0;
  if (i < text.size() && text[i] == '$') ++i;
  const std::size_t letters_begin = i;
  while (i < text.size()) {
    char ch = text[i];
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    if (ch < 'A' || ch > 'Z') break;
    if (ref.column < kClamp) ref.column = ref.column * 26 + (ch - 'A' + 1);
    ++i;
  }
  if (i == letters_begin) return std::nullopt;
  if (i < text.size() && text[i] == '$') ++i;
  const std::size_t digits_begin = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    if (ref.row < kClamp) ref.row = ref.row * 10 + (text[i] - '0');
    ++i;
  }
  if (i != text.size()) return std::nullopt;
  ref.has_row = i > digits_begin;
  return ref;
}

}  // namespace brintova::engine::model
