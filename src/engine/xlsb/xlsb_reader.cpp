// The .xlsb reader: package relationships to the workbook part, then styles, shared strings and
// each sheet in tab order, as the .xlsx reader goes, over binary parts.
#include "engine/xlsb/xlsb_reader.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <new>

#include "engine/package/relationships.h"
#include "engine/package/xlsx_reader.h"
#include "engine/xlsb/xlsb_parts.h"
#include "platform/text.h"

namespace brintova::engine::xlsb {

namespace {

using package::ReadError;
using package::ReadResult;
using package::Relationship;
using package::ZipReader;

bool EndsWith(std::string_view text, std::string_view tail) {
  if (text.size() < tail.size()) return false;
  for (std::size_t i = 0; i < tail.size(); ++i) {
    char c = text[text.size() - tail.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != tail[i]) return false;
  }
  return true;
}

std::string MainPartName(const ZipReader& zip) {
  for (const auto& r : package::ReadRelationships(zip, "")) {
    if (!r.external && package::IsType(r.type, "officeDocument")) return r.target;
  }
  return zip.Has("xl/workbook.bin") ? "xl/workbook.bin" : std::string();
}

model::SheetKind KindOf(const Relationship& r) {
  if (package::IsType(r.type, "chartsheet")) return model::SheetKind::kChart;
  if (package::IsType(r.type, "dialogsheet")) return model::SheetKind::kDialog;
  if (package::IsType(r.type, "xlMacrosheet") || package::IsType(r.type, "xlIntlMacrosheet")) {
    return model::SheetKind::kMacro;
  }
  return model::SheetKind::kWorksheet;
}

std::unique_ptr<model::Workbook> Read(const ZipReader& zip, std::uint64_t file_bytes) {
  const std::string main_part = MainPartName(zip);
  if (main_part.empty() || !zip.Has(main_part)) {
    throw ReadError{"the package holds no workbook part", false, true};
  }
  if (EndsWith(main_part, ".xml")) {
    throw ReadError{"it is an .xlsx workbook (its parts are XML, not binary); rename it to .xlsx",
                    false, true};
  }
  auto book = std::make_unique<model::Workbook>();
  const package::WorkbookPart workbook_part = ReadWorkbookBin(zip, main_part);
  book->set_date1904(workbook_part.date1904);

  const std::vector<Relationship> relationships = package::ReadRelationships(zip, main_part);
  for (const auto& r : relationships) {
    if (r.external || !zip.Has(r.target)) continue;
    if (package::IsType(r.type, "styles")) {
      ReadStylesBin(zip, r.target, book->styles());
    } else if (package::IsType(r.type, "sharedStrings")) {
      ReadSharedStringsBin(zip, r.target, book->shared_strings());
    }
  }
  if (workbook_part.sheets.empty()) throw ReadError{"the workbook lists no sheets"};
  CellBudget budget = CellBudget::ForFileSize(file_bytes);

  {
    // Names a save could not keep apart, checked before any sheet is read.
    model::Workbook names;
    for (const package::SheetEntry& entry : workbook_part.sheets) {
      names.AddSheet(entry.name, model::SheetKind::kWorksheet);
    }
    if (const std::string shared = model::SharedSheetName(names); !shared.empty()) {
      throw ReadError{shared + "; the workbook part is damaged"};
    }
  }
  for (const package::SheetEntry& entry : workbook_part.sheets) {
    const Relationship* found = nullptr;
    for (const auto& r : relationships) {
      if (r.id == entry.relationship_id && !r.external) found = &r;
    }
    if (found == nullptr) {
      throw ReadError{"sheet \"" + ToUtf8(entry.name) + "\" refers to relationship \"" +
                      entry.relationship_id + "\", which the workbook part does not have"};
    }
    model::Sheet& sheet = book->AddSheet(entry.name, KindOf(*found));
    sheet.set_visibility(entry.visibility);
    if (sheet.kind() == model::SheetKind::kWorksheet) {
      ReadWorksheetBin(zip, found->target, *book, sheet, budget);
    }
  }
  book->styles().MarkOriginal();
  return book;
}

template <typename Open>
ReadResult Guarded(Open&& open, const package::ZipLimits& limits, std::uint64_t file_bytes) {
  ReadResult result;
  try {
    ZipReader zip;
    zip.set_limits(limits);
    open(zip);
    result.workbook = Read(zip, file_bytes);
  } catch (const ReadError& error) {
    result.error = error;
  } catch (const std::bad_alloc&) {
    result.error = {"there is not enough memory to open it"};
  } catch (const std::exception& error) {
    result.error = {std::string("it cannot be read (") + error.what() + ")"};
  }
  return result;
}

// A compound file is either a password-protected package or a legacy workbook renamed.
ReadResult CompoundFileResult(std::string_view bytes) {
  ReadResult result;
  if (package::IsEncryptedPackage(bytes)) {
    result.error = {"This workbook is protected by a password", true};
  } else {
    result.error = {
        "it is an OLE compound file (a legacy .xls workbook, perhaps), not an .xlsb package", false,
        true};
  }
  return result;
}

}  // namespace

ReadResult ReadXlsbFile(const std::string& native_path, const package::ZipLimits& limits) {
  {
    std::ifstream in(native_path, std::ios::binary);
    char head[8] = {};
    in.read(head, sizeof head);
    if (in.gcount() == sizeof head &&
        package::IsCompoundFile(std::string_view(head, sizeof head))) {
      in.clear();
      in.seekg(0);
      const std::string bytes((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
      return CompoundFileResult(bytes);
    }
  }
  struct stat info {};
  const std::uint64_t bytes =
      ::stat(native_path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
  return Guarded([&](ZipReader& zip) { zip.OpenFile(native_path); }, limits, bytes);
}

ReadResult ReadXlsbBuffer(const void* data, std::size_t size, const package::ZipLimits& limits) {
  const std::string_view bytes(static_cast<const char*>(data), size);
  if (package::IsCompoundFile(bytes)) return CompoundFileResult(bytes);
  return Guarded([&](ZipReader& zip) { zip.OpenBuffer(data, size); }, limits, size);
}

}  // namespace brintova::engine::xlsb
