// Reading a worksheet part: <row> and <c> elements, their values and cached formula results.
#include "engine/package/worksheet_part.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "engine/package/cell_handoff.h"
#include "engine/package/number_text.h"
#include "engine/package/read_error.h"
#include "engine/package/shared_strings_part.h"
#include "engine/package/xml_reader.h"
#include "engine/package/zip_reader.h"
#include "platform/text.h"

namespace brintova::engine::package {

namespace {

using model::Cell;
using model::CellType;

enum class ValueType : std::uint8_t {
  kNumber,
  kSharedString,
  kFormulaString,
  kInlineString,
  kBoolean,
  kError,
  kIsoDate
};

ValueType ParseType(const char* t) {
  if (t == nullptr) return ValueType::kNumber;
  const std::string_view v(t);
  if (v == "s") return ValueType::kSharedString;
  if (v == "str") return ValueType::kFormulaString;
  if (v == "inlineStr") return ValueType::kInlineString;
  if (v == "b") return ValueType::kBoolean;
  if (v == "e") return ValueType::kError;
  if (v == "d") return ValueType::kIsoDate;
  return ValueType::kNumber;  // "n" and anything unknown
}

// An attribute's text in a message, cut short: a file may write anything there.
std::string Shown(const char* text) {
  const std::string_view all(text);
  return all.size() <= 32 ? std::string(all) : std::string(all.substr(0, 32)) + "...";
}

// Parts this large are parsed beside the cell store's filling rather than before it: a thread
// costs less than a millisecond, a part of 4 MB takes some 40 ms to parse.
constexpr std::uint64_t kParseAlongsideFloor = std::uint64_t{4} << 20;

// Elements count only in their own place: rows in <sheetData>, cells in rows, values in cells,
// each in the part's main namespace. Cells in an extension list, or in another namespace, are
// none of the sheet's.
class WorksheetHandler : public XmlHandler {
 public:
  WorksheetHandler(const model::Workbook& book, CellHandoff& cells, CellBudget& budget)
      : book_(book), cells_(cells), budget_(budget), shared_count_(book.shared_strings().Count()) {}

  // Formula cells without a stored result, for the workbook's count once the part is read.
  std::uint64_t formulas_without_result() const { return formulas_without_result_; }

  void Start(std::string_view name, const XmlAttributes& attributes) override {
    const std::size_t depth = path().depth();
    if (depth > 5) {
      if (in_inline_) inline_text_.Start(name, path().InMain());
    } else if (depth == 5) {
      if (in_cell_ && path().InMain()) StartCellChild(name);
    } else if (depth == 4) {
      if (in_row_ && name == "c" && path().InMain()) StartCell(attributes);
    } else if (depth == 3) {
      if (in_sheet_data_ && name == "row" && path().InMain()) StartRow(attributes);
    } else if (depth == 2) {
      in_sheet_data_ = name == "sheetData" && path().Is({"worksheet", "sheetData"});
    }
  }

  void End(std::string_view) override {
    const std::size_t depth = path().depth();
    if (depth > 5) {
      if (in_inline_) inline_text_.End();
    } else if (depth == 5) {
      in_value_ = false;
      in_inline_ = false;
    } else if (depth == 4) {
      if (in_cell_) FinishCell();
    } else if (depth == 3) {
      in_row_ = false;
    } else if (depth == 2) {
      in_sheet_data_ = false;
    }
  }

  void Text(std::string_view text) override {
    if (in_value_) {
      // Longer than any cell's text or any number: the rest is never looked at.
      if (value_.size() + text.size() > StringItemCollector::kMaxItemBytes) {
        text = text.substr(0, StringItemCollector::kMaxItemBytes - value_.size());
      }
      value_.append(text);
    } else if (in_inline_) {
      inline_text_.Text(text);
    }
  }

 private:
  void StartRow(const XmlAttributes& attributes) {
    in_row_ = true;
    column_ = 0;
    std::int64_t row = row_ + 1;
    if (const char* r = attributes.Get("r")) {
      std::int64_t written = 0;
      const auto parsed = std::from_chars(r, r + std::strlen(r), written);
      // A number too large for 64 bits lies past the grid as surely as 1048577 does.
      if (parsed.ec == std::errc::result_out_of_range) {
        const std::size_t digits = static_cast<std::size_t>(parsed.ptr - r);
        throw ReadError{"row " + std::string(r, std::min<std::size_t>(digits, 24)) +
                        (digits > 24 ? "..." : "") + " lies past the last row of the grid (" +
                        std::to_string(model::kMaxRows) + ")"};
      }
      if (parsed.ec == std::errc() && written >= 1) row = written;
    }
    if (row > model::kMaxRows) {
      throw ReadError{"row " + std::to_string(row) + " lies past the last row of the grid (" +
                      std::to_string(model::kMaxRows) + ")"};
    }
    row_ = static_cast<std::int32_t>(row);
  }

  void StartCellChild(std::string_view name) {
    if (name == "v") {
      // Which of two values the cell holds cannot be told: the part is damaged.
      if (seen_value_) {
        throw ReadError{"cell " + model::CellReference(cell_row_, column_) +
                        " holds two values (<v>)"};
      }
      seen_value_ = in_value_ = true;
    } else if (name == "f") {
      has_formula_ = true;
    } else if (name == "is") {
      if (seen_inline_) {
        throw ReadError{"cell " + model::CellReference(cell_row_, column_) +
                        " holds two inline strings (<is>)"};
      }
      seen_inline_ = in_inline_ = true;
    }
  }

  void StartCell(const XmlAttributes& attributes) {
    in_cell_ = true;
    has_formula_ = false;
    seen_value_ = false;
    seen_inline_ = false;
    value_.clear();
    style_ = 0;
    type_ = ValueType::kNumber;
    const char* r = nullptr;
    const char* s = nullptr;
    const char* t = nullptr;
    // One pass over the attributes, by local name: this runs once per cell.
    for (const char** p = attributes.pairs(); p[0] != nullptr; p += 2) {
      const std::string_view name(p[0]);  // unqualified: no namespace, no colon
      if (name.size() != 1) continue;
      if (name[0] == 'r') r = p[1];
      if (name[0] == 's') s = p[1];
      if (name[0] == 't') t = p[1];
    }
    std::int64_t row = row_;
    std::int64_t column = column_ + 1;
    if (r != nullptr) {
      const auto ref = model::ParseCellReference(r);
      if (!ref) {
        throw ReadError{"a cell has the reference \"" + Shown(r) + "\", which names no cell"};
      }
      column = ref->column;
      if (ref->has_row) row = ref->row;
      if (row < 1) {
        throw ReadError{"a cell has the reference \"" + Shown(r) +
                        "\", which is not a cell: rows are numbered from 1"};
      }
      if (row > model::kMaxRows || column > model::kMaxColumns) {
        throw ReadError{"cell " + Shown(r) + " lies past the grid (the last cell is XFD" +
                        std::to_string(model::kMaxRows) + ")"};
      }
    } else if (column > model::kMaxColumns) {
      throw ReadError{"row " + std::to_string(row) + " has more cells than the grid's " +
                      std::to_string(model::kMaxColumns) + " columns"};
    }
    cell_row_ = static_cast<std::int32_t>(row);
    row_ = cell_row_;
    column_ = static_cast<std::int32_t>(column);
    if (s != nullptr) {
      // A style the file lacks (or a number too large to be one) is kept as an index past the
      // table, which shows as General the way a cell without a cell format does; clamping it to
      // the file's first style would lend the cell whatever number format that style has.
      const char* end = s + std::strlen(s);
      const auto parsed = std::from_chars(s, end, style_);
      if (parsed.ec != std::errc() || parsed.ptr != end || style_ >= book_.styles().StyleCount()) {
        style_ = model::StyleTable::kMissingStyle;
      }
    }
    type_ = ParseType(t);
  }

  void FinishCell() {
    in_cell_ = false;
    in_value_ = false;
    in_inline_ = false;
    const std::int32_t column = column_;
    switch (type_) {
      case ValueType::kNumber: {
        if (value_.empty()) break;
        CountCell();
        cells_.PutNumber(cell_row_, Cell::Number(column, 0, style_), value_);
        return;
      }
      case ValueType::kSharedString: {
        const auto index = ParseNumberText(value_);
        if (!index) break;
        const double i = *index;
        // An index past the table shows as an empty string rather than failing the workbook.
        const auto slot =
            (i >= 0 && i < shared_count_) ? static_cast<std::uint32_t>(i) : shared_count_;
        Put(Cell::SharedString(column, slot, style_));
        return;
      }
      case ValueType::kFormulaString:
        // An empty <v> is a stored result here: the formula gave the empty text.
        if (value_.empty() && !(has_formula_ && seen_value_)) break;
        OwnedText(column, value_);
        return;
      case ValueType::kInlineString: {
        if (!value_.empty()) {  // some producers put the text in <v>
          OwnedText(column, value_);
          return;
        }
        inline_text_.Take(text_);
        PutText(Cell::OwnedString(column, 0, style_), text_);
        return;
      }
      case ValueType::kBoolean: {
        const std::string_view v = TrimXmlSpace(value_);
        if (v.empty()) break;
        // Any number but zero is TRUE, as the application reads it.
        const auto number = ParseNumberText(v);
        Put(Cell::Boolean(column, number ? *number != 0 : (v == "true" || v == "TRUE"), style_));
        return;
      }
      case ValueType::kError: {
        if (value_.empty()) break;
        std::u16string text;
        AppendUtf8(text, TrimXmlSpace(value_));
        model::CutCellText(text);
        if (const auto error = numfmt::ParseErrorText(text)) {
          Put(Cell::Error(column, *error, style_));
        } else {
          PutText(Cell::OwnedString(column, 0, style_), text);
        }
        return;
      }
      case ValueType::kIsoDate: {
        if (value_.empty()) break;
        if (const auto serial = SerialFromIsoDate(TrimXmlSpace(value_), book_.date1904())) {
          Put(Cell::Number(column, *serial, style_));
        } else {
          Owned(column, value_);
        }
        return;
      }
    }
    // No value: the cell still counts for the used range when it carries a style or formula.
    // A formula without a value was never calculated by the program that wrote it.
    if (has_formula_) ++formulas_without_result_;
    if (style_ != 0 || has_formula_) Put(Cell::Empty(column, style_));
  }

  // Text as written, kept where a value should have been.
  void Owned(std::int32_t column, std::string_view utf8) {
    text_.clear();
    AppendUtf8(text_, utf8);
    model::CutCellText(text_);
    PutText(Cell::OwnedString(column, 0, style_), text_);
  }

  // A string value, whose _xHHHH_ escapes stand for the code units XML cannot carry.
  void OwnedText(std::int32_t column, std::string_view utf8) {
    text_.clear();
    AppendUtf8(text_, utf8);
    DecodeEscapes(text_);
    model::CutCellText(text_);
    PutText(Cell::OwnedString(column, 0, style_), text_);
  }

  void Put(const Cell& cell) {
    CountCell();
    cells_.Put(cell_row_, cell);
  }

  void PutText(const Cell& cell, std::u16string_view text) {
    CountCell();
    cells_.PutText(cell_row_, cell, text);
  }

  void CountCell() {
    if (++budget_.cells > budget_.max_cells) {
      throw ReadError{"the workbook holds more than " + GroupedDecimal(budget_.max_cells) +
                      " cells, the most this program reads for one workbook"};
    }
  }

  const model::Workbook& book_;
  CellHandoff& cells_;
  CellBudget& budget_;
  std::uint64_t formulas_without_result_ = 0;
  const std::uint32_t shared_count_;
  std::int32_t row_ = 0;
  std::int32_t column_ = 0;
  std::int32_t cell_row_ = 0;
  bool in_sheet_data_ = false;
  bool in_row_ = false;
  bool in_cell_ = false;
  bool in_value_ = false;
  bool in_inline_ = false;
  bool seen_value_ = false;  // a <v> element, even an empty one
  bool seen_inline_ = false;
  bool has_formula_ = false;
  std::uint32_t style_ = 0;
  ValueType type_ = ValueType::kNumber;
  std::string value_;
  std::u16string text_;
  StringItemCollector inline_text_;
};

bool Digits(std::string_view s, std::size_t at, std::size_t count, int& out) {
  if (at + count > s.size()) return false;
  out = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    out = out * 10 + (s[i] - '0');
  }
  return true;
}

// Days from 1 January 1970 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

std::optional<double> SerialFromIsoDate(std::string_view text, bool date1904) {
  double days = 0;
  std::size_t at = 0;
  int year = 0, month = 0, day = 0;
  const bool has_date = Digits(text, 0, 4, year) && text.size() >= 10 && text[4] == '-' &&
                        Digits(text, 5, 2, month) && text[7] == '-' && Digits(text, 8, 2, day);
  if (has_date) {
    static constexpr int kDaysInMonth[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month < 1 || month > 12 || day < 1 || day > kDaysInMonth[month - 1] ||
        (month == 2 && day == 29 && !leap)) {
      return std::nullopt;
    }
    const std::int64_t unix_days = DaysFromCivil(year, month, day);
    if (date1904) {
      days = static_cast<double>(unix_days - DaysFromCivil(1904, 1, 1));
    } else {
      // Serial 1 is 1900-01-01, and the system counts a 29 February 1900 that never was.
      days = static_cast<double>(unix_days - DaysFromCivil(1899, 12, 31));
      if (days >= 60) days += 1;
    }
    at = 10;
    if (at < text.size() && (text[at] == 'T' || text[at] == ' ')) ++at;
  }
  if (at < text.size()) {
    int hour = 0, minute = 0, second = 0;
    if (!Digits(text, at, 2, hour) || at + 5 > text.size() || text[at + 2] != ':' ||
        !Digits(text, at + 3, 2, minute)) {
      return std::nullopt;
    }
    at += 5;
    double fraction = 0;
    if (at < text.size() && text[at] == ':') {
      if (!Digits(text, at + 1, 2, second)) return std::nullopt;
      at += 3;
      if (at < text.size() && text[at] == '.') {
        std::size_t end = at + 1;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
        fraction = std::strtod(std::string(text.substr(at, end - at)).c_str(), nullptr);
        at = end;
      }
    }
    // A zone suffix ("Z", "+01:00") is accepted and ignored: cells hold local times.
    if (at < text.size() && text[at] != 'Z' && text[at] != '+' && text[at] != '-') {
      return std::nullopt;
    }
    if (hour > 24 || minute > 59 || second > 60) return std::nullopt;
    days += (hour * 3600.0 + minute * 60.0 + second + fraction) / 86400.0;
  } else if (!has_date) {
    return std::nullopt;
  }
  return days;
}

void ReadWorksheetPart(const ZipReader& zip, std::string_view part_name, model::Workbook& book,
                       model::Sheet& sheet, CellBudget& budget) {
  CellHandoff cells(sheet);
  WorksheetHandler handler(book, cells, budget);
  // A large part is parsed on a thread of its own while this one fills the cell store (its
  // inflate runs on a third): on a million cells the three take about 60, 330 and 150 ms.
  if (zip.DeclaredSize(part_name) >= kParseAlongsideFloor) {
    cells.RunAlongside([&] { ParseXmlPart(zip, part_name, handler); });
  } else {
    ParseXmlPart(zip, part_name, handler);
  }
  book.CountFormulaWithoutResult(handler.formulas_without_result());
}

}  // namespace brintova::engine::package
