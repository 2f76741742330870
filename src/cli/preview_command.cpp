// The preview: the first cells of each workbook and what the recipe makes of them.
#include "cli/preview_command.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <vector>

#include "cli/cell_listing.h"
#include "cli/headless_ports.h"
#include "cli/workbook_list.h"
#include "engine/server/embedded_server.h"
#include "extract/automation.h"
#include "extract/character_count.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::cli {

namespace {

constexpr std::string_view kPrefix = "brintova-cli: ";
constexpr std::size_t kWidestText = 40;  // columns of the text and result columns at most
const std::u16string kNotWritten = u"(nothing written)";

struct Row {
  std::u16string sheet;
  std::string cell;
  std::u16string text;
  std::u16string result;
  enum class Kind { kWritten, kNotWritten, kFailed } kind = Kind::kWritten;
};

// A field of the table or TSV: backslash, tab, CR and LF escaped as the "text" command does.
std::u16string Escaped(std::u16string_view text) { return ToUtf16(EscapeField(text)); }

bool IsWide(UChar32 c) {
  const auto width = static_cast<UEastAsianWidth>(u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH));
  return width == U_EA_WIDE || width == U_EA_FULLWIDTH ||
         u_hasBinaryProperty(c, UCHAR_EMOJI_PRESENTATION);
}

// Columns of one character (grapheme cluster).
std::size_t CharacterColumns(std::u16string_view character) {
  std::size_t i = 0;
  bool any_visible = false;
  while (i < character.size()) {
    UChar32 c = 0;
    U16_NEXT(character.data(), i, character.size(), c);
    if (IsWide(c)) return 2;
    const std::int32_t category = u_charType(c);
    if (category != U_NON_SPACING_MARK && category != U_ENCLOSING_MARK &&
        category != U_FORMAT_CHAR && category != U_CONTROL_CHAR) {
      any_visible = true;
    }
  }
  return any_visible ? 1 : 0;
}

void PrintPadded(std::ostream& out, std::u16string_view text, std::size_t columns) {
  out << ToUtf8(text);
  for (std::size_t n = TerminalColumns(text); n < columns; ++n) out << ' ';
}

void PrintTable(std::ostream& out, const std::u16string& source, const std::vector<Row>& rows,
                bool more) {
  out << TerminalText(source) << '\n';
  if (rows.empty()) {
    out << "  (no cell with text)\n\n";
    return;
  }
  const std::vector<std::u16string> headings = {u"Sheet", u"Cell", u"Text", u"Result"};
  std::vector<std::vector<std::u16string>> cells;
  for (const Row& row : rows) {
    std::u16string result = row.kind == Row::Kind::kNotWritten ? kNotWritten
                            : row.kind == Row::Kind::kFailed
                                ? u"(failed: " + Escaped(row.result) + u")"
                                : Escaped(row.result);
    cells.push_back({FitColumns(Escaped(row.sheet), kWidestText), ToUtf16(row.cell),
                     FitColumns(Escaped(row.text), kWidestText), FitColumns(result, kWidestText)});
  }
  std::vector<std::size_t> widths;
  for (const std::u16string& heading : headings) widths.push_back(TerminalColumns(heading));
  for (const auto& line : cells) {
    for (std::size_t c = 0; c < line.size(); ++c) {
      widths[c] = std::max(widths[c], TerminalColumns(line[c]));
    }
  }
  const auto print_line = [&](const std::vector<std::u16string>& line) {
    out << "  ";
    for (std::size_t c = 0; c < line.size(); ++c) {
      if (c + 1 == line.size()) {
        out << ToUtf8(line[c]);
      } else {
        PrintPadded(out, line[c], widths[c] + 2);
      }
    }
    out << '\n';
  };
  print_line(headings);
  for (const auto& line : cells) print_line(line);
  if (more) out << "  (more cells with text follow)\n";
  out << '\n';
}

void PrintTsv(std::ostream& out, const std::u16string& source, const std::vector<Row>& rows) {
  const std::string file = EscapeField(source);
  for (const Row& row : rows) {
    const char* written = row.kind == Row::Kind::kWritten      ? "yes"
                          : row.kind == Row::Kind::kNotWritten ? "no"
                                                               : "failed";
    out << file << '\t' << EscapeField(row.sheet) << '\t' << row.cell << '\t'
        << EscapeField(row.text) << '\t'
        << (row.kind == Row::Kind::kWritten ? EscapeField(row.result) : std::string()) << '\t'
        << written << '\n';
  }
}

void QuitQuietly(const std::shared_ptr<Application>& instance) {
  if (!instance) return;
  try {
    instance->Quit();
  } catch (const Failure&) {
    // Quit only fails on an instance that has quit already.
  }
}

}  // namespace

std::size_t TerminalColumns(std::u16string_view text) {
  const std::vector<std::size_t> boundaries = ExcelExtract::CharacterBoundaries(text);
  std::size_t columns = 0;
  for (std::size_t i = 0; i + 1 < boundaries.size(); ++i) {
    columns += CharacterColumns(text.substr(boundaries[i], boundaries[i + 1] - boundaries[i]));
  }
  return columns;
}

std::u16string FitColumns(std::u16string_view text, std::size_t columns) {
  if (TerminalColumns(text) <= columns) return std::u16string(text);
  const std::vector<std::size_t> boundaries = ExcelExtract::CharacterBoundaries(text);
  std::size_t used = 0;
  std::size_t end = 0;
  for (std::size_t i = 0; i + 1 < boundaries.size(); ++i) {
    const std::size_t width =
        CharacterColumns(text.substr(boundaries[i], boundaries[i + 1] - boundaries[i]));
    if (used + width + 1 > columns) break;  // one column is kept for the ellipsis
    used += width;
    end = boundaries[i + 1];
  }
  return std::u16string(text.substr(0, end)) + u"\u2026";
}

int PreviewCommand(const RunArguments& run, const RecipeArguments& options, std::ostream& out,
                   std::ostream& err, bool table) {
  const CheckedRecipe checked = CheckRecipe(run, options);
  if (run.inputs.empty()) throw UsageError("no files or folders given");
  int failures = 0;
  const std::vector<std::u16string> sources = ListWorkbooks(run.inputs, err, failures);
  if (sources.empty() && failures == 0) throw UsageError("the folders given hold no files");

  const ExcelExtract::CellRule rule = ExcelExtract::MakeCellRule(checked.recipe);
  const auto limit = static_cast<std::size_t>(options.cells);
  engine::EmbeddedServer server;
  if (!table) out << "file\tsheet\tcell\ttext\tresult\twritten\n";
  for (const std::u16string& source : sources) {
    std::vector<Row> rows;
    bool more = false;
    std::shared_ptr<Application> instance;
    try {
      instance = ExcelExtract::OpenWorkbookInNewExcel(server, source);
      WorkbookCollection& books = instance->Workbooks();
      const std::shared_ptr<Workbook> book = books.Item(books.Count());
      ExcelExtract::VisitResults(
          *book, checked.mode, rule, [&](const ExcelExtract::CellOutcome& cell) {
            if (rows.size() == limit) {  // one cell past the limit: there is more
              more = true;
              return false;
            }
            Row row{std::u16string(cell.sheet),
                    CellAddress(cell.cell),
                    std::u16string(cell.text),
                    {},
                    Row::Kind::kWritten};
            if (cell.failure != nullptr) {
              row.kind = Row::Kind::kFailed;
              row.result = cell.failure->description();
              ++failures;
              err << kPrefix << TerminalText(source) << ", sheet " << TerminalText(cell.sheet)
                  << ", cell " << row.cell << ": " << TerminalText(row.result) << '\n';
            } else if (cell.result) {
              row.result = cell.result->text;
            } else {
              row.kind = Row::Kind::kNotWritten;
            }
            rows.push_back(std::move(row));
            return true;
          });
    } catch (const Failure& failure) {
      ++failures;
      err << kPrefix << TerminalText(source) << ": " << TerminalText(failure.description()) << '\n';
      QuitQuietly(instance);
      continue;
    }
    QuitQuietly(instance);
    if (table) {
      PrintTable(out, source, rows, more);
    } else {
      PrintTsv(out, source, rows);
    }
  }
  out.flush();
  if (!out) {
    err << kPrefix << "cannot write to standard output\n";
    return kExitFailure;
  }
  return failures == 0 ? kExitSuccess : kExitFailure;
}

}  // namespace brintova::cli
