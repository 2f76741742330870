// One cell of the in-memory workbook: a 16-byte record holding a type tag, the value and the
// index of the cell's style. Grid limits and cell-reference helpers live here too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/numfmt/number_format.h"

namespace brintova::engine::model {

inline constexpr std::int32_t kMaxRows = 1048576;
inline constexpr std::int32_t kMaxColumns = 16384;
// The most cells any reader puts into one workbook, whatever its format: about 270 MB of
// cells, which keeps reading and saving any file within a few GB.
inline constexpr std::uint64_t kMaxWorkbookCells = std::uint64_t{16} << 20;
// The most UTF-16 code units a cell's text holds; readers cut longer text to this.
inline constexpr std::size_t kMaxCellText = 32767;

enum class CellType : std::uint8_t {
  kEmpty,         // no value; present only because it carries a style
  kNumber,        // number (dates and times are numbers with a date format)
  kSharedString,  // index into Workbook::shared_strings()
  kOwnedString,   // index into the sheet's own Sheet::strings()
  kBoolean,
  kError,
};

using ErrorValue = numfmt::ErrorValue;

struct Cell {
  union {
    double number;        // kNumber
    std::uint32_t index;  // kSharedString, kOwnedString: string index
    bool boolean;         // kBoolean
    ErrorValue error;     // kError
  };
  std::uint32_t style = 0;   // index into Workbook::styles(); 0 is the default style
  std::uint16_t column = 0;  // 1-based
  CellType type = CellType::kEmpty;

  Cell() : number(0) {}
  static Cell Empty(std::int32_t column, std::uint32_t style);
  static Cell Number(std::int32_t column, double value, std::uint32_t style);
  static Cell SharedString(std::int32_t column, std::uint32_t index, std::uint32_t style);
  static Cell OwnedString(std::int32_t column, std::uint32_t index, std::uint32_t style);
  static Cell Boolean(std::int32_t column, bool value, std::uint32_t style);
  static Cell Error(std::int32_t column, ErrorValue value, std::uint32_t style);

  bool HasValue() const { return type != CellType::kEmpty; }
};
static_assert(sizeof(Cell) == 16, "a cell record stays 16 bytes");

// Cuts `text` to kMaxCellText code units, never between the two halves of a surrogate pair.
void CutCellText(std::u16string& text);

// "A" -> 1, "XFD" -> 16384; nullopt for anything else or a column past the grid.
std::optional<std::int32_t> ColumnFromLetters(std::string_view letters);
// 1 -> "A", 16384 -> "XFD".
std::string ColumnLetters(std::int32_t column);
// "C5" for row 5, column 3.
std::string CellReference(std::int32_t row, std::int32_t column);

struct ParsedReference {
  std::int64_t row = 0;     // as written, possibly past the grid
  std::int64_t column = 0;  // as written, possibly past the grid
  bool has_row = false;
};
// Parses "B12" (also "$B$12" and "B", a reference without row). Row and column are given as
// written, clamped to 2^40, so a caller can name a cell past the grid in its failure; nullopt
// when the text is not a reference at all.
std::optional<ParsedReference> ParseCellReference(std::string_view text);

}  // namespace brintova::engine::model
