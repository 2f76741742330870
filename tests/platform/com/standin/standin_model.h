// The stand-in automation server's workbooks: sheets of cells holding displayed texts, loaded
// from fixture descriptions, and what the spreadsheet application does to a string assigned
// to a cell's Value (it re-types "007" as a number, "1-2" as a date, "=A1" as a formula) unless
// the cell is formatted as text.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brintova::standin {

// A failure the stand-in raises as an automation exception, with this description.
struct Raised {
  std::u16string description;
};

struct Area {
  std::int32_t top = 1, left = 1, bottom = 1, right = 1;  // inclusive
  std::int64_t Cells() const {
    return std::int64_t{bottom - top + 1} * std::int64_t{right - left + 1};
  }
};

inline constexpr std::int32_t kMaxRow = 1048576;
inline constexpr std::int32_t kMaxColumn = 16384;

struct Cell {
  std::optional<std::u16string> value;  // none: only a format was assigned
  std::u16string text;                  // as displayed
  std::u16string format;
};

enum class SheetType { kWorksheet, kChart };

struct SheetModel {
  std::u16string name;
  SheetType type = SheetType::kWorksheet;
  std::map<std::pair<std::int32_t, std::int32_t>, Cell> cells;  // (row, column), row by row

  Area UsedRange() const;  // A1 when no cell exists
  const Cell* Find(std::int32_t row, std::int32_t column) const;
  // Value := text, re-typed as the application does unless the cell's format is "@".
  void Assign(std::int32_t row, std::int32_t column, std::u16string_view text);
  void Format(std::int32_t row, std::int32_t column, std::u16string_view code);
  std::int64_t CountValues(const Area& area) const;
};

struct BookModel {
  std::u16string name;
  std::u16string full_name;
  std::vector<std::shared_ptr<SheetModel>> sheets;
};

// Fixture descriptions: "workbook <file name>", then "worksheet <name>" or "chart <name>",
// then one line per cell: "<A1 reference>", a tab, the displayed text (\t \n \r \\ escaped);
// a reference alone is a cell with a format and no value. Blank lines and "#" lines are skipped.
using Fixtures = std::map<std::u16string, std::vector<SheetModel>>;  // by lower-case file name
void LoadFixtures(std::string_view utf8, Fixtures& into);

// "B2" -> (2, 2). Throws Raised when it is no reference inside the grid.
std::pair<std::int32_t, std::int32_t> ParseReference(std::u16string_view a1);
// "A1" or "A1:C9".
Area ParseAddress(std::u16string_view address);

// The text the application shows for a string assigned to a General cell of `sheet`.
std::u16string Retyped(std::u16string_view text, const SheetModel& sheet);

}  // namespace brintova::standin
