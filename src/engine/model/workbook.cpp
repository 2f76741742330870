// Workbook: sheets in tab order, new-sheet naming, string lookup and displayed text.
#include "engine/model/workbook.h"

#include <unordered_map>
#include <unordered_set>

#include "platform/text.h"

namespace brintova::engine::model {

Sheet& Workbook::AddSheet(std::u16string name, SheetKind kind) {
  sheets_.push_back(std::make_unique<Sheet>(std::move(name), kind));
  return *sheets_.back();
}

Sheet& Workbook::InsertSheet(std::size_t position, std::u16string name) {
  position = std::min(position, sheets_.size());
  auto it = sheets_.insert(sheets_.begin() + static_cast<std::ptrdiff_t>(position),
                           std::make_unique<Sheet>(std::move(name), SheetKind::kWorksheet));
  (*it)->set_changed(true);
  structure_changed_ = true;
  activated_ = it->get();
  return **it;
}

std::size_t Workbook::IndexOf(const Sheet& sheet) const {
  for (std::size_t i = 0; i < sheets_.size(); ++i) {
    if (sheets_[i].get() == &sheet) return i;
  }
  return sheets_.size();
}

std::u16string Workbook::NextSheetName() const {
  // One pass over the names: with 100,000 sheets named Sheet1, Sheet2, ... trying each
  // candidate against every name would take 10^10 comparisons.
  std::unordered_set<std::u16string> taken;
  taken.reserve(sheets_.size());
  for (const auto& sheet : sheets_) taken.insert(FoldSheetName(sheet->name()));
  for (std::size_t n = 1;; ++n) {
    std::u16string name = u"Sheet";
    for (char c : std::to_string(n)) name.push_back(static_cast<char16_t>(c));
    if (!taken.contains(FoldSheetName(name))) return name;
  }
}

std::u16string_view Workbook::CellString(const Sheet& sheet, const Cell& cell) const {
  if (cell.type == CellType::kSharedString) {
    return cell.index < shared_strings_.Count() ? shared_strings_.Get(cell.index)
                                                : std::u16string_view();
  }
  if (cell.type == CellType::kOwnedString) {
    return cell.index < sheet.strings().Count() ? sheet.strings().Get(cell.index)
                                                : std::u16string_view();
  }
  return {};
}

void DisplayedText(const Workbook& book, const Sheet& sheet, const Cell* cell,
                   std::u16string& out) {
  out.clear();
  if (cell == nullptr) return;
  switch (cell->type) {
    case CellType::kEmpty:
      return;
    case CellType::kNumber:
      book.styles().Format(cell->style).RenderNumber(cell->number, book.date_system(), out);
      return;
    case CellType::kSharedString:
    case CellType::kOwnedString: {
      const std::u16string_view text = book.CellString(sheet, *cell);
      const numfmt::NumberFormat& format = book.styles().Format(cell->style);
      if (format.IsGeneral() || format.IsText()) {
        out.assign(text);
      } else {
        format.RenderText(text, out);
      }
      return;
    }
    case CellType::kBoolean:
      out.assign(numfmt::BooleanText(cell->boolean));
      return;
    case CellType::kError:
      out.assign(numfmt::ErrorText(cell->error));
      return;
  }
}

namespace {
char16_t FoldCase(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);     // Latin-1
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 32);  // Greek
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 32);                // Cyrillic
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 80);
  return c;
}
}  // namespace

std::u16string FoldSheetName(std::u16string_view name) {
  std::u16string folded(name);
  for (char16_t& c : folded) c = FoldCase(c);
  return folded;
}

bool SameSheetName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

std::string SharedSheetName(const Workbook& book) {
  std::unordered_map<std::u16string, const Sheet*> by_name;
  for (std::size_t i = 0; i < book.SheetCount(); ++i) {
    const Sheet& sheet = book.sheet(i);
    const auto [named, added] = by_name.emplace(FoldSheetName(sheet.name()), &sheet);
    if (added) continue;
    const std::u16string& earlier = named->second->name();
    return "two sheets are named \"" + ToUtf8(earlier) + "\"" +
           (earlier == sheet.name()
                ? std::string()
                : " and \"" + ToUtf8(sheet.name()) + "\" (names that differ only in case)");
  }
  return {};
}

}  // namespace brintova::engine::model
