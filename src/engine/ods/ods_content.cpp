// Streaming content.xml: tables, rows and cells with their repeat counts, values by value type,
// and the text of the cell's paragraphs where the value needs it.
#include "engine/ods/ods_content.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "engine/package/read_error.h"
#include "engine/package/worksheet_part.h"
#include "engine/package/xml_reader.h"
#include "platform/text.h"

namespace brintova::engine::ods {

namespace {

using model::Cell;

// The application keeps at most this many characters in a cell.
constexpr std::size_t kMaxCellText = 32767;
// Repeat counts past this are as good as endless: every grid ends long before.
constexpr std::int64_t kEndless = std::int64_t{1} << 40;

std::int64_t Count(const char* text) {
  if (text == nullptr) return 1;
  std::int64_t value = 1;
  const auto [end, ec] = std::from_chars(text, text + std::strlen(text), value);
  if (ec == std::errc::result_out_of_range) return kEndless;
  if (ec != std::errc() || value < 1) return 1;
  return std::min(value, kEndless);
}

bool ParseDouble(std::string_view text, double& value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec == std::errc::result_out_of_range) {
    value = HUGE_VAL;
    return true;
  }
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

// The functions whose result is always a truth value.
bool IsLogicalFunction(std::string_view name) {
  static constexpr std::string_view kNames[] = {
      "TRUE",  "FALSE",   "AND",   "OR",       "NOT",      "XOR",       "ISBLANK",
      "ISERR", "ISERROR", "ISNA",  "ISNUMBER", "ISTEXT",   "ISNONTEXT", "ISLOGICAL",
      "ISREF", "ISEVEN",  "ISODD", "EXACT",    "ISFORMULA"};
  for (std::string_view known : kNames) {
    if (name == known) return true;
  }
  return false;
}

}  // namespace

bool IsLogicalFormula(std::string_view formula) {
  const std::size_t equals = formula.find('=');
  if (equals == std::string_view::npos) return false;
  const std::string_view expression = formula.substr(equals + 1);
  int depth = 0;
  bool quoted = false;
  std::size_t first_close = std::string_view::npos;  // where the first top-level call ends
  for (std::size_t i = 0; i < expression.size(); ++i) {
    const char c = expression[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (quoted) {
      continue;
    } else if (c == '(' || c == '[') {
      ++depth;
    } else if (c == ')' || c == ']') {
      --depth;
      if (depth == 0 && c == ')' && first_close == std::string_view::npos) first_close = i;
    } else if (depth == 0 && (c == '<' || c == '>' || c == '=')) {
      return true;  // a comparison at the top
    }
  }
  // Or one call of a logical function that is the whole formula.
  const std::size_t open = expression.find('(');
  if (open == std::string_view::npos || first_close != expression.size() - 1) return false;
  std::string name;
  for (char c : expression.substr(0, open)) {
    if (c != ' ') name.push_back(static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c));
  }
  return IsLogicalFunction(name);
}

namespace {}  // namespace

std::optional<double> DaysFromDuration(std::string_view text) {
  bool negative = false;
  if (!text.empty() && text.front() == '-') {
    negative = true;
    text.remove_prefix(1);
  }
  if (text.empty() || text.front() != 'P') return std::nullopt;
  text.remove_prefix(1);
  double seconds = 0;
  bool in_time = false;
  bool any = false;
  while (!text.empty()) {
    if (text.front() == 'T') {
      in_time = true;
      text.remove_prefix(1);
      continue;
    }
    std::size_t digits = 0;
    while (digits < text.size() &&
           ((text[digits] >= '0' && text[digits] <= '9') || text[digits] == '.')) {
      ++digits;
    }
    if (digits == 0 || digits == text.size()) return std::nullopt;
    double number = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + digits, number);
    if (ec != std::errc() || end != text.data() + digits) return std::nullopt;
    const char unit = text[digits];
    text.remove_prefix(digits + 1);
    any = true;
    if (!in_time && unit == 'D') {
      seconds += number * 86400;
    } else if (in_time && unit == 'H') {
      seconds += number * 3600;
    } else if (in_time && unit == 'M') {
      seconds += number * 60;
    } else if (in_time && unit == 'S') {
      seconds += number;
    } else if (number != 0) {
      return std::nullopt;  // years and months have no length in days
    }
  }
  if (!any) return std::nullopt;
  return (negative ? -seconds : seconds) / 86400;
}

void ContentHandler::Start(const XmlName& name, const Attributes& attributes) {
  if (skip_depth_ > 0) {
    ++skip_depth_;
    return;
  }
  if (in_styles_) {
    styles_.Start(name, attributes);
    return;
  }
  if (in_cell_) {
    if (name.ns == Ns::kText) {
      if (name.local == "p" || name.local == "h") {
        if (paragraph_depth_++ == 0 && paragraphs_++ > 0 && want_text_) text_.push_back(u'\n');
      } else if (name.local == "s" && paragraph_depth_ > 0 && want_text_) {
        const std::int64_t spaces = Count(attributes.Get(Ns::kText, "c"));
        const std::size_t room = kMaxCellText - std::min(text_.size(), kMaxCellText);
        text_.append(std::min<std::size_t>(static_cast<std::size_t>(spaces), room), u' ');
      } else if (name.local == "tab" && paragraph_depth_ > 0 && want_text_) {
        text_.push_back(u'\t');
      } else if (name.local == "line-break" && paragraph_depth_ > 0 && want_text_) {
        text_.push_back(u'\n');
      } else if (name.local == "note") {
        skip_depth_ = 1;
      }
    } else if (name.ns == Ns::kOffice || name.ns == Ns::kDraw || name.ns == Ns::kTable) {
      skip_depth_ = 1;  // comments, shapes and tables inside the cell are not its text
    }
    return;
  }
  if (name.ns == Ns::kOffice && name.local == "automatic-styles") {
    in_styles_ = true;
  } else if (name.ns == Ns::kTable) {
    if (name.local == "table-cell" || name.local == "covered-table-cell") {
      if (sheet_ != nullptr) StartCell(attributes);
    } else if (name.local == "table-row") {
      if (sheet_ != nullptr) StartRow(attributes);
    } else if (name.local == "table-column") {
      if (sheet_ != nullptr) StartColumns(attributes);
    } else if (name.local == "table") {
      StartTable(attributes);
    } else if (name.local == "null-date") {
      const char* date = attributes.Get(Ns::kTable, "date-value");
      if (date != nullptr && std::string_view(date).starts_with("1904-01-01")) {
        book_.set_date1904(true);
      }
    }
  } else if (name.ns == Ns::kDraw) {
    skip_depth_ = 1;
  }
}

void ContentHandler::End(const XmlName& name) {
  if (skip_depth_ > 0) {
    --skip_depth_;
    return;
  }
  if (in_styles_) {
    if (name.Is(Ns::kOffice, "automatic-styles")) {
      in_styles_ = false;
    } else {
      styles_.End(name);
    }
    return;
  }
  if (in_cell_) {
    if (name.ns == Ns::kTable &&
        (name.local == "table-cell" || name.local == "covered-table-cell")) {
      EndCell();
    } else if (name.ns == Ns::kText && (name.local == "p" || name.local == "h")) {
      --paragraph_depth_;
    }
    return;
  }
  if (name.Is(Ns::kTable, "table-row")) {
    if (sheet_ != nullptr) EndRow();
  } else if (name.Is(Ns::kTable, "table")) {
    sheet_ = nullptr;
  }
}

void ContentHandler::Text(std::string_view text) {
  if (skip_depth_ > 0) return;
  if (in_styles_) {
    styles_.Text(text);
  } else if (in_cell_ && want_text_ && paragraph_depth_ > 0 && text_.size() < kMaxCellText) {
    package::AppendUtf8(text_, text);
    if (text_.size() > kMaxCellText) text_.resize(kMaxCellText);
  }
}

void ContentHandler::StartTable(const Attributes& attributes) {
  std::u16string name;
  if (const char* text = attributes.Get(Ns::kTable, "name")) package::AppendUtf8(name, text);
  if (name.empty()) name = u"Sheet" + DecimalText(static_cast<long long>(sheets_ + 1));
  sheet_ = &book_.AddSheet(std::move(name), model::SheetKind::kWorksheet);
  if (const char* style = attributes.Get(Ns::kTable, "style-name")) {
    if (styles_.HidesTable(style)) sheet_->set_visibility(model::Visibility::kHidden);
  }
  ++sheets_;
  columns_.clear();
  row_ = 1;
}

void ContentHandler::StartColumns(const Attributes& attributes) {
  const std::int64_t first = columns_.empty() ? 1 : columns_.back().last + 1;
  const std::int64_t repeat = Count(attributes.Get(Ns::kTable, "number-columns-repeated"));
  const char* style = attributes.Get(Ns::kTable, "default-cell-style-name");
  columns_.push_back({std::min(first + repeat - 1, kEndless), style != nullptr ? style : ""});
}

const std::string& ContentHandler::ColumnStyle(std::int64_t column) const {
  static const std::string kNone;
  const auto it =
      std::lower_bound(columns_.begin(), columns_.end(), column,
                       [](const ColumnRun& run, std::int64_t c) { return run.last < c; });
  return it == columns_.end() ? kNone : it->style;
}

void ContentHandler::StartRow(const Attributes& attributes) {
  row_repeat_ = Count(attributes.Get(Ns::kTable, "number-rows-repeated"));
  const char* style = attributes.Get(Ns::kTable, "default-cell-style-name");
  row_style_ = style != nullptr ? style : "";
  column_ = 1;
  row_cells_.clear();
}

void ContentHandler::StartCell(const Attributes& attributes) {
  in_cell_ = true;
  cell_repeat_ = 1;
  type_ = ValueType::kNone;
  value_.clear();
  text_.clear();
  has_string_value_ = false;
  paragraph_depth_ = 0;
  paragraphs_ = 0;
  const char* style = nullptr;
  const char* office_type = nullptr;
  const char* values[5] = {};  // value, date-value, time-value, boolean-value, string-value
  bool error = false;
  bool truth_formula = false;
  // One pass over the attributes: this runs once per cell.
  for (const char** p = attributes.pairs(); p[0] != nullptr; p += 2) {
    const XmlName attribute = attributes.NameOf(p[0]);
    if (attribute.ns == Ns::kOffice) {
      if (attribute.local == "value-type")
        office_type = p[1];
      else if (attribute.local == "value")
        values[0] = p[1];
      else if (attribute.local == "date-value")
        values[1] = p[1];
      else if (attribute.local == "time-value")
        values[2] = p[1];
      else if (attribute.local == "boolean-value")
        values[3] = p[1];
      else if (attribute.local == "string-value")
        values[4] = p[1];
    } else if (attribute.ns == Ns::kTable) {
      if (attribute.local == "style-name")
        style = p[1];
      else if (attribute.local == "number-columns-repeated")
        cell_repeat_ = Count(p[1]);
      else if (attribute.local == "formula")
        truth_formula = IsLogicalFormula(p[1]);
    } else if (attribute.ns == Ns::kCalcext && attribute.local == "value-type") {
      error = std::string_view(p[1]) == "error";
    }
  }
  const char* value = nullptr;
  if (office_type != nullptr) {
    const std::string_view t(office_type);
    if (t == "float" || t == "percentage" || t == "currency") {
      type_ = ValueType::kFloat;
      value = values[0];
    } else if (t == "date") {
      type_ = ValueType::kDate;
      value = values[1];
    } else if (t == "time") {
      type_ = ValueType::kTime;
      value = values[2];
    } else if (t == "boolean") {
      type_ = ValueType::kBoolean;
      value = values[3];
    } else if (t == "string") {
      type_ = ValueType::kString;
      if (values[4] != nullptr) {
        has_string_value_ = true;
        package::AppendUtf8(text_, values[4]);
      }
    }
  }
  if (error) type_ = ValueType::kError;
  // A formula with a truth value comes with its result as the number 1 or 0.
  if (truth_formula && type_ == ValueType::kFloat) {
    type_ = ValueType::kBoolean;
    value = values[0];
  }
  if (value != nullptr) value_ = value;
  if (style == nullptr)
    style = !row_style_.empty() ? row_style_.c_str() : ColumnStyle(column_).c_str();
  format_ = &styles_.ForCellStyle(style);
  const bool date_or_time = type_ == ValueType::kDate || type_ == ValueType::kTime;
  want_text_ = (type_ == ValueType::kString && !has_string_value_) || type_ == ValueType::kNone ||
               type_ == ValueType::kError || format_->kind == Translation::Kind::kFallback ||
               (date_or_time && !format_->date_time);
}

Cell ContentHandler::TextCell(std::uint32_t style) {
  return Cell::OwnedString(0, sheet_->strings().Add(text_), style);
}

std::optional<Cell> ContentHandler::CellValue() {
  const bool coded = format_->kind == Translation::Kind::kCode;
  const std::uint32_t style = coded ? format_->style : 0;
  switch (type_) {
    case ValueType::kFloat: {
      double value = 0;
      if (!ParseDouble(value_, value)) break;
      if (!std::isfinite(value)) return Cell::Error(0, model::ErrorValue::kNum, 0);
      if (format_->kind == Translation::Kind::kBoolean) return Cell::Boolean(0, value != 0, 0);
      if (!coded && !text_.empty()) return TextCell(0);
      return Cell::Number(0, value, style);
    }
    case ValueType::kDate:
    case ValueType::kTime: {
      const auto serial = type_ == ValueType::kDate
                              ? package::SerialFromIsoDate(value_, book_.date1904())
                              : DaysFromDuration(value_);
      if (!serial || ((!coded || !format_->date_time) && !text_.empty())) break;
      return Cell::Number(0, *serial, style);
    }
    case ValueType::kBoolean: {
      double number = 0;
      const bool truth = value_ == "true" || (ParseDouble(value_, number) && number != 0);
      return Cell::Boolean(0, truth, 0);
    }
    case ValueType::kError:
      if (const auto error = numfmt::ParseErrorText(text_)) return Cell::Error(0, *error, 0);
      break;
    case ValueType::kString:
      if (text_.empty()) return std::nullopt;
      return TextCell(style);
    case ValueType::kNone:
      break;
  }
  // What the file stored as the cell's text, when the value cannot be shown otherwise.
  if (text_.empty()) return std::nullopt;
  return TextCell(0);
}

void ContentHandler::EndCell() {
  in_cell_ = false;
  const std::int64_t repeat = cell_repeat_;
  if (const std::optional<Cell> cell = CellValue()) {
    const std::int64_t last = column_ + repeat - 1;
    if (last > model::kMaxColumns) {
      throw package::ReadError{
          "sheet \"" + ToUtf8(sheet_->name()) + "\" has a value in " +
          Where(row_, std::max<std::int64_t>(column_, model::kMaxColumns + 1)) +
          ", past the grid's " + std::to_string(model::kMaxColumns) + " columns"};
    }
    Charge(static_cast<std::uint64_t>(repeat));
    for (std::int64_t c = column_; c <= last; ++c) {
      Cell copy = *cell;
      copy.column = static_cast<std::uint16_t>(c);
      row_cells_.push_back(copy);
    }
  }
  column_ = std::min(column_ + repeat, kEndless);
}

void ContentHandler::EndRow() {
  const std::int64_t repeat = row_repeat_;
  if (!row_cells_.empty()) {
    const std::int64_t last = row_ + repeat - 1;
    if (last > model::kMaxRows) {
      throw package::ReadError{"sheet \"" + ToUtf8(sheet_->name()) + "\" has values in row " +
                               std::to_string(std::max<std::int64_t>(row_, model::kMaxRows + 1)) +
                               ", past the grid's last row (" + std::to_string(model::kMaxRows) +
                               ")"};
    }
    Charge(static_cast<std::uint64_t>(repeat - 1) * row_cells_.size());
    for (std::int64_t r = row_; r <= last; ++r) {
      for (const Cell& cell : row_cells_) sheet_->Append(static_cast<std::int32_t>(r), cell);
    }
  }
  row_ = std::min(row_ + repeat, kEndless);
}

void ContentHandler::Charge(std::uint64_t cells) {
  cells_ += cells;
  if (cells_ > cell_budget_ && cell_budget_ >= model::kMaxWorkbookCells) {
    throw package::ReadError{"the workbook holds more than " + GroupedDecimal(cell_budget_) +
                             " cells, the most this program reads for one workbook"};
  }
  if (cells_ > cell_budget_) {
    throw package::ReadError{"its repeated rows and columns spread out to more than " +
                             std::to_string(cell_budget_) +
                             " cells, more than a file of this size can hold; it is refused "
                             "as damaged"};
  }
}

std::string ContentHandler::Where(std::int64_t row, std::int64_t column) const {
  if (row <= model::kMaxRows && column <= model::kMaxColumns) {
    return "cell " +
           model::CellReference(static_cast<std::int32_t>(row), static_cast<std::int32_t>(column));
  }
  return "row " + std::to_string(row) + ", column " + std::to_string(column);
}

}  // namespace brintova::engine::ods
