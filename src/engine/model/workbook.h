// The in-memory workbook the embedded server works on: sheets in tab order, defined names, the
// date system, the style table, the shared-string pool, and a record of the file it came from.
//
// How a reader fills one (xlsx, csv, xls alike):
//   auto book = std::make_unique<Workbook>();
//   book->source() = {path, SourceKind::kXlsx, {...package facts, xlsx only...}};
//   book->set_date1904(...);
//   styles: book->styles().ClearStyles(), then per file style
//           AddStyle(FormatForId(id)) after AddFormat(id, code) for custom codes;
//           MarkOriginal() when done. A reader without styles leaves the one General style.
//   strings: book->shared_strings().Add(text) in table order.
//   sheets: Sheet& s = book->AddSheet(name, kind); s.SetSource(part, rel_id, sheet_id);
//           s.Append(row, Cell::Number(column, value, style)) in row-major order (Put for any
//           order); text that is not in the shared table: Cell::OwnedString(column,
//           s.strings().Add(text), style). Rows and columns are 1-based and checked against
//           kMaxRows / kMaxColumns by the reader, which refuses a cell past them.
//   A reader never marks anything changed; the server does when it writes.
//
// How a writer walks one:
//   for each sheet in sheets() (tab order): name(), kind(), visibility(); when the source is an
//   Office Open XML package and !sheet.changed() and !sheet.part_name().empty(), copy that part
//   (and everything it relates to) byte for byte from source().package_bytes; otherwise write
//   the sheet from its cells: for (const auto& [row, cells] : sheet.rows()) for (const Cell& c :
//   cells) ..., string text via CellString(sheet, cell), style c.style (styles() holds the
//   number format code and the file style it derives from). structure_changed() says the sheet list
//   or names changed (workbook part must be regenerated); styles().original_style_count() says
//   which styles were added since opening.
//
// Displayed text (what a user sees in a cell) comes from DisplayedText() below.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/model/cell.h"
#include "engine/model/sheet.h"
#include "engine/model/string_pool.h"
#include "engine/model/style_table.h"

namespace brintova::engine::model {

// kXlsb and kOds are read only: a workbook from them is saved as .xlsx, written fresh.
enum class SourceKind : std::uint8_t {
  kNew,
  kXlsx,
  kXlsm,
  kXltx,
  kXltm,
  kXls,
  kXlt,
  kCsv,
  kTxt,
  kXlsb,
  kOds,
};

// Facts about an Office Open XML source that a writer needs to copy untouched parts. Part
// names carry no leading slash ("xl/workbook.xml").
struct PackageFacts {
  std::string workbook_part;        // the main part the package relationship points to
  std::string shared_strings_part;  // empty when the package has none
  std::string styles_part;          // empty when the package has none
};

struct Source {
  std::u16string path;  // empty for a new workbook
  SourceKind kind = SourceKind::kNew;
  PackageFacts package;  // Office Open XML sources only
  // The package file exactly as it was read when the workbook was opened (Office Open XML
  // sources only): a save copies the untouched parts from these bytes and never reads the path
  // again, so a source moved, edited or deleted since opening changes nothing.
  std::shared_ptr<const std::string> package_bytes;
};

struct DefinedName {
  std::u16string name;
  std::u16string formula;         // as written, without a leading "="
  std::int32_t local_sheet = -1;  // 0-based index in the file's sheet list; -1 global
  bool hidden = false;
};

class Workbook {
 public:
  Workbook() = default;
  Workbook(const Workbook&) = delete;
  Workbook& operator=(const Workbook&) = delete;

  Source& source() { return source_; }
  const Source& source() const { return source_; }

  bool date1904() const { return date1904_; }
  void set_date1904(bool value) { date1904_ = value; }
  numfmt::DateSystem date_system() const {
    return date1904_ ? numfmt::DateSystem::k1904 : numfmt::DateSystem::k1900;
  }

  // Sheets in tab order. The objects keep their addresses when others are added.
  std::size_t SheetCount() const { return sheets_.size(); }
  Sheet& sheet(std::size_t index) { return *sheets_[index]; }
  const Sheet& sheet(std::size_t index) const { return *sheets_[index]; }
  // Appends a sheet (readers).
  Sheet& AddSheet(std::u16string name, SheetKind kind);
  // Inserts a new empty worksheet at 0-based `position`, marks the structure changed and makes
  // it the active sheet, as inserting a sheet does in the application.
  Sheet& InsertSheet(std::size_t position, std::u16string name);
  // The sheet made active since opening (the last one inserted); nullptr when the file's own
  // active sheet still is.
  const Sheet* activated_sheet() const { return activated_; }
  // The 0-based position of a sheet, or SheetCount() when it is not in this workbook.
  std::size_t IndexOf(const Sheet& sheet) const;
  // The first of "Sheet1", "Sheet2", ... that no sheet has, compared case-insensitively.
  std::u16string NextSheetName() const;

  std::vector<DefinedName>& names() { return names_; }
  const std::vector<DefinedName>& names() const { return names_; }

  StyleTable& styles() { return styles_; }
  const StyleTable& styles() const { return styles_; }
  StringPool& shared_strings() { return shared_strings_; }
  const StringPool& shared_strings() const { return shared_strings_; }

  // The text of a string cell (shared or owned); empty for other cells.
  std::u16string_view CellString(const Sheet& sheet, const Cell& cell) const;

  // What the reader could not take in while it read the rest (rows past the grid's last row in a
  // text file, say), as messages naming the file and what was left out.
  std::vector<std::u16string>& load_failures() { return load_failures_; }
  const std::vector<std::u16string>& load_failures() const { return load_failures_; }

  // True when sheets were added, removed, renamed or reordered since opening.
  bool structure_changed() const { return structure_changed_; }
  void set_structure_changed(bool value) { structure_changed_ = value; }

  // Formula cells the reader found without a stored result, which read as empty: programs
  // that write formulas without calculating them (openpyxl, for one) leave the result out.
  std::uint64_t formulas_without_result() const { return formulas_without_result_; }
  void CountFormulaWithoutResult(std::uint64_t count = 1) { formulas_without_result_ += count; }

  // For a new workbook that receives the results drawn from another one: that workbook's
  // name and its formulas_without_result(). Empty name otherwise.
  struct ResultsSource {
    std::u16string name;
    std::uint64_t formulas_without_result = 0;
  };
  const ResultsSource& results_source() const { return results_source_; }
  void set_results_source(ResultsSource source) { results_source_ = std::move(source); }

 private:
  Source source_;
  bool date1904_ = false;
  std::vector<std::unique_ptr<Sheet>> sheets_;
  std::vector<DefinedName> names_;
  StyleTable styles_;
  StringPool shared_strings_;
  bool structure_changed_ = false;
  std::uint64_t formulas_without_result_ = 0;
  ResultsSource results_source_;
  const Sheet* activated_ = nullptr;
  std::vector<std::u16string> load_failures_;
};

// The text the application shows for a cell: the value rendered through its style's number
// format (text through the format's text section, booleans "TRUE"/"FALSE", errors their text,
// an empty or missing cell ""). Replaces `out`.
void DisplayedText(const Workbook& book, const Sheet& sheet, const Cell* cell, std::u16string& out);

// Case-insensitive comparison of sheet names (ASCII and the Latin-1/Latin Extended letters the
// application folds alike are enough for the names it generates and checks).
bool SameSheetName(std::u16string_view a, std::u16string_view b);
// The name with its letters folded as SameSheetName folds them: equal for names it calls the
// same, so names can be hashed.
std::u16string FoldSheetName(std::u16string_view name);
// A message naming two sheets of `book` that share a name (compared as SameSheetName does), or
// an empty text when every name is its own sheet's. A workbook whose sheets share a name cannot
// be saved so that it reads again, so readers refuse it.
std::string SharedSheetName(const Workbook& book);

}  // namespace brintova::engine::model
