// Helpers of the save tests.
#include "save_helpers.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "engine/package/save_workbook.h"
#include "engine/server/open_workbook.h"
#include "engine/text/delimited_text.h"
#include "engine/text/text_decoding.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::engine::savetest {

namespace fs = std::filesystem;

std::string DataPath(const std::string& name) {
  return std::string(BRINTOVA_TEST_DATA) + "/" + name;
}

void CopyFile(const std::string& from, const std::string& to) {
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

std::vector<std::string> ChangedEntries(const std::map<std::string, std::string>& before,
                                        const std::map<std::string, std::string>& after) {
  std::vector<std::string> changed;
  for (const auto& [name, contents] : before) {
    const auto found = after.find(name);
    if (found == after.end() || found->second != contents) changed.push_back(name);
  }
  return changed;
}

CellTexts SheetTexts(const model::Workbook& book, const model::Sheet& sheet) {
  CellTexts texts;
  std::u16string text;
  for (const auto& [row, cells] : sheet.rows()) {
    for (const model::Cell& cell : cells) {
      if (!cell.HasValue()) continue;
      model::DisplayedText(book, sheet, &cell, text);
      if (!text.empty()) texts[{row, cell.column}] = ToUtf8(text);
    }
  }
  return texts;
}

CellTexts AddDigitsSheet(model::Workbook& book) {
  CellTexts sources;
  for (std::size_t i = 0; i < book.SheetCount(); ++i) {
    if (book.sheet(i).kind() != model::SheetKind::kWorksheet) continue;
    for (auto& [position, text] : SheetTexts(book, book.sheet(i))) sources[position] = text;
  }
  model::Sheet& out = book.InsertSheet(0, book.NextSheetName());
  const std::uint32_t text_style = book.styles().StyleWithFormat(0, u"@");
  CellTexts written;
  for (const auto& [position, text] : sources) {
    std::string digits;
    for (const char c : text) {
      if (c >= '0' && c <= '9') digits.push_back(c);
    }
    const auto [row, column] = position;
    out.Put(row, model::Cell::OwnedString(column, out.strings().Add(ToUtf16(digits)), text_style));
    if (!digits.empty()) written[position] = digits;
  }
  out.set_changed(true);
  return written;
}

std::optional<CellTexts> LibreOfficeFirstSheet(const std::string& file,
                                               const std::string& scratch) {
  if (std::system("command -v soffice > /dev/null 2>&1") != 0) return std::nullopt;
  const std::string out_dir = scratch + "/lo-out";
  fs::create_directories(out_dir);
  const std::string command = "soffice -env:UserInstallation=file://" + scratch +
                              "/lo-profile --headless --convert-to "
                              "'csv:Text - txt - csv (StarCalc):44,34,76,1' --outdir '" +
                              out_dir + "' '" + file + "' > /dev/null 2>&1";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("soffice failed: " + command);
  const std::string csv = out_dir + "/" + fs::path(file).stem().string() + ".csv";
  const std::u16string text = textfile::DecodeTextBytes(ReadBytes(csv)).text;
  CellTexts texts;
  textfile::ParseDelimitedText(
      text, u',', [&](std::int64_t r, std::int64_t c, std::u16string_view field) {
        texts[{static_cast<std::int32_t>(r), static_cast<std::int32_t>(c)}] = ToUtf8(field);
      });
  return texts;
}

std::unique_ptr<model::Workbook> Open(const std::string& path) {
  return OpenWorkbookFile(TextFromNativePath(path));
}

void Save(const model::Workbook& book, const std::string& path) {
  package::SaveWorkbookAs(book, TextFromNativePath(path));
}

std::string FailureOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Failure& f) {
    return ToUtf8(f.description());
  }
  return "(no failure)";
}

}  // namespace brintova::engine::savetest
