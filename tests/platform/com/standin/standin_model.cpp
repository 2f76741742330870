#include "platform/com/standin/standin_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "platform/text.h"

namespace brintova::standin {

Area SheetModel::UsedRange() const {
  if (cells.empty()) return Area{};
  Area area{cells.begin()->first.first, kMaxColumn, cells.rbegin()->first.first, 1};
  for (const auto& [at, cell] : cells) {
    area.left = std::min(area.left, at.second);
    area.right = std::max(area.right, at.second);
  }
  return area;
}

const Cell* SheetModel::Find(std::int32_t row, std::int32_t column) const {
  const auto it = cells.find({row, column});
  return it == cells.end() ? nullptr : &it->second;
}

void SheetModel::Assign(std::int32_t row, std::int32_t column, std::u16string_view text) {
  Cell& cell = cells[{row, column}];
  cell.text = cell.format == u"@" ? std::u16string(text) : Retyped(text, *this);
  cell.value = cell.text;
}

void SheetModel::Format(std::int32_t row, std::int32_t column, std::u16string_view code) {
  cells[{row, column}].format = std::u16string(code);
}

std::int64_t SheetModel::CountValues(const Area& area) const {
  std::int64_t count = 0;
  for (auto it = cells.lower_bound({area.top, 0}); it != cells.end(); ++it) {
    if (it->first.first > area.bottom) break;
    if (it->first.second >= area.left && it->first.second <= area.right && it->second.value) {
      ++count;
    }
  }
  return count;
}

std::pair<std::int32_t, std::int32_t> ParseReference(std::u16string_view a1) {
  std::size_t i = 0;
  std::int64_t column = 0;
  while (i < a1.size() && ((a1[i] >= u'A' && a1[i] <= u'Z') || (a1[i] >= u'a' && a1[i] <= u'z'))) {
    column = column * 26 + ((a1[i] | 0x20) - u'a' + 1);
    if (column > kMaxColumn) break;
    ++i;
  }
  std::int64_t row = 0;
  const std::size_t digits = i;
  while (i < a1.size() && a1[i] >= u'0' && a1[i] <= u'9' && row <= kMaxRow) {
    row = row * 10 + (a1[i] - u'0');
    ++i;
  }
  if (digits == 0 || i == digits || i != a1.size() || column < 1 || column > kMaxColumn ||
      row < 1 || row > kMaxRow) {
    throw Raised{u"Method 'Range' of object '_Worksheet' failed: \"" + std::u16string(a1) +
                 u"\" is no cell reference"};
  }
  return {static_cast<std::int32_t>(row), static_cast<std::int32_t>(column)};
}

Area ParseAddress(std::u16string_view address) {
  const std::size_t colon = address.find(u':');
  const auto first = ParseReference(address.substr(0, colon));
  const auto last =
      colon == std::u16string_view::npos ? first : ParseReference(address.substr(colon + 1));
  return Area{std::min(first.first, last.first), std::min(first.second, last.second),
              std::max(first.first, last.first), std::max(first.second, last.second)};
}

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Digits, one optional decimal point, an optional exponent: what the application takes for a
// number. Surrounding blanks are allowed.
std::optional<double> AsNumber(std::u16string_view text) {
  while (!text.empty() && text.front() == u' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
  std::string ascii;
  for (const char16_t c : text) {
    if (c > 0x7f) return std::nullopt;
    ascii += static_cast<char>(c);
  }
  if (ascii.empty() || ascii.find_first_of("0123456789") == std::string::npos) return std::nullopt;
  std::size_t used = 0;
  try {
    const double value = std::stod(ascii, &used);
    if (used != ascii.size() || ascii.find_first_of("xXpP") != std::string::npos ||
        ascii.find("inf") != std::string::npos || ascii.find("nan") != std::string::npos) {
      return std::nullopt;
    }
    return value;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::u16string General(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.10g", value);
  return ToUtf16(buffer);
}

}  // namespace

std::u16string Retyped(std::u16string_view text, const SheetModel& sheet) {
  if (text.empty()) return {};
  if (text.front() == u'\'') return std::u16string(text.substr(1));
  if (text.front() == u'=') {
    // A formula: a reference to one cell shows that cell's text, anything else an error.
    try {
      const auto [row, column] = ParseReference(text.substr(1));
      const Cell* cell = sheet.Find(row, column);
      return cell != nullptr && !cell->text.empty() ? cell->text : u"0";
    } catch (const Raised&) {
      return u"#NAME?";
    }
  }
  if (AsciiLower(text) == u"true" || AsciiLower(text) == u"false") {
    return AsciiLower(text) == u"true" ? u"TRUE" : u"FALSE";
  }
  if (const auto number = AsNumber(text)) return General(*number);
  // Month and day ("1-2", "3/4"): a date of this year, shown day and month name.
  const std::size_t dash = text.find_first_of(u"-/");
  if (dash != std::u16string_view::npos && dash > 0 && dash <= 2 && text.size() - dash - 1 >= 1 &&
      text.size() - dash - 1 <= 2 && std::all_of(text.begin(), text.begin() + dash, IsDigit) &&
      std::all_of(text.begin() + dash + 1, text.end(), IsDigit)) {
    static constexpr std::array<const char16_t*, 12> kMonths = {u"Jan", u"Feb", u"Mar", u"Apr",
                                                                u"May", u"Jun", u"Jul", u"Aug",
                                                                u"Sep", u"Oct", u"Nov", u"Dec"};
    const int month = std::stoi(ToUtf8(text.substr(0, dash)));
    const int day = std::stoi(ToUtf8(text.substr(dash + 1)));
    if (month >= 1 && month <= 12 && day >= 1 && day <= 31) {
      return DecimalText(day) + u"-" + kMonths[static_cast<std::size_t>(month - 1)];
    }
  }
  return std::u16string(text);
}

namespace {

std::u16string Unescaped(std::u16string_view text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\\' && i + 1 < text.size()) {
      const char16_t next = text[++i];
      out += next == u't' ? u'\t' : next == u'n' ? u'\n' : next == u'r' ? u'\r' : next;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

void LoadFixtures(std::string_view utf8, Fixtures& into) {
  std::vector<SheetModel>* book = nullptr;
  std::size_t start = 0;
  while (start < utf8.size()) {
    std::size_t end = utf8.find('\n', start);
    if (end == std::string_view::npos) end = utf8.size();
    std::u16string line = ToUtf16(utf8.substr(start, end - start));
    start = end + 1;
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    if (line.empty() || line.front() == u'#') continue;
    const std::size_t space = line.find(u' ');
    const std::u16string word = line.substr(0, space);
    const std::u16string rest = space == std::u16string::npos ? u"" : line.substr(space + 1);
    if (word == u"workbook") {
      book = &into[AsciiLower(rest)];
      book->clear();
    } else if ((word == u"worksheet" || word == u"chart") && book != nullptr) {
      book->push_back(
          SheetModel{rest, word == u"chart" ? SheetType::kChart : SheetType::kWorksheet, {}});
    } else if (book != nullptr && !book->empty()) {
      const std::size_t tab = line.find(u'\t');
      const auto [row, column] = ParseReference(line.substr(0, tab));
      Cell& cell = book->back().cells[{row, column}];
      if (tab != std::u16string::npos) {
        cell.text = Unescaped(line.substr(tab + 1));
        cell.value = cell.text;
      }
    }
  }
}

}  // namespace brintova::standin
