// The Office Open XML reader: package relationships to the workbook part, then styles, shared
// strings and each sheet in tab order.
#include "engine/package/xlsx_reader.h"

#include <fstream>
#include <new>

#include "engine/package/content_types.h"
#include "engine/package/relationships.h"
#include "engine/package/shared_strings_part.h"
#include "engine/package/styles_part.h"
#include "engine/package/workbook_part.h"
#include "engine/package/worksheet_part.h"
#include "platform/text.h"

namespace brintova::engine::package {

namespace {

constexpr std::string_view kCompoundSignature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

std::string MainPartName(const ZipReader& zip) {
  for (const auto& r : ReadRelationships(zip, "")) {
    if (!r.external && IsType(r.type, "officeDocument")) return r.target;
  }
  return zip.Has("xl/workbook.xml") ? "xl/workbook.xml" : std::string();
}

bool IsSpreadsheetType(std::string_view type) {
  return type.empty() || type.find("spreadsheetml") != std::string_view::npos ||
         type.find("ms-excel") != std::string_view::npos;
}

model::SheetKind KindOf(const Relationship& r) {
  if (IsType(r.type, "chartsheet")) return model::SheetKind::kChart;
  if (IsType(r.type, "dialogsheet")) return model::SheetKind::kDialog;
  if (IsType(r.type, "xlMacrosheet") || IsType(r.type, "xlIntlMacrosheet")) {
    return model::SheetKind::kMacro;
  }
  return model::SheetKind::kWorksheet;
}

std::unique_ptr<model::Workbook> Read(const ZipReader& zip) {
  ContentTypes content_types;
  content_types.Read(zip);
  const std::string main_part = MainPartName(zip);
  if (main_part.empty() || !zip.Has(main_part)) {
    throw ReadError{"the package holds no workbook part", false, true};
  }
  const std::string main_type = content_types.Of(main_part);
  if (!IsSpreadsheetType(main_type)) {
    throw ReadError{"the package's main part is a " + main_type + ", not a workbook", false, true};
  }

  auto book = std::make_unique<model::Workbook>();
  book->source().package.workbook_part = main_part;
  const WorkbookPart workbook_part = ReadWorkbookPart(zip, main_part);
  book->set_date1904(workbook_part.date1904);
  book->names() = workbook_part.names;

  const std::vector<Relationship> relationships = ReadRelationships(zip, main_part);
  for (const auto& r : relationships) {
    if (r.external) continue;
    if (IsType(r.type, "styles") && zip.Has(r.target)) {
      book->source().package.styles_part = r.target;
    } else if (IsType(r.type, "sharedStrings") && zip.Has(r.target)) {
      book->source().package.shared_strings_part = r.target;
    }
  }
  if (!book->source().package.styles_part.empty()) {
    ReadStylesPart(zip, book->source().package.styles_part, book->styles());
  }
  if (!book->source().package.shared_strings_part.empty()) {
    ReadSharedStringsPart(zip, book->source().package.shared_strings_part, book->shared_strings());
  }
  if (workbook_part.sheets.empty()) throw ReadError{"the workbook lists no sheets"};

  for (const SheetEntry& entry : workbook_part.sheets) {
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
    sheet.SetSource(found->target, found->id, entry.sheet_id);
    if (sheet.kind() == model::SheetKind::kWorksheet) {
      ReadWorksheetPart(zip, found->target, *book, sheet);
    }
  }
  book->styles().MarkOriginal();
  return book;
}

template <typename Open>
ReadResult Guarded(Open&& open, const ZipLimits& limits) {
  ReadResult result;
  try {
    ZipReader zip;
    zip.set_limits(limits);
    open(zip);
    result.workbook = Read(zip);
  } catch (const ReadError& error) {
    result.error = error;
  } catch (const std::bad_alloc&) {
    result.error = {"there is not enough memory to open it"};
  } catch (const std::exception& error) {
    result.error = {std::string("it cannot be read (") + error.what() + ")"};
  }
  return result;
}

ReadResult CompoundFileResult(std::string_view bytes) {
  ReadResult result;
  if (IsEncryptedPackage(bytes)) {
    result.error = {"This workbook is encrypted with a password", true};
  } else {
    result.error = {"it is an OLE compound file, not an Office Open XML package", false, true};
  }
  return result;
}

}  // namespace

bool IsCompoundFile(std::string_view head) { return head.starts_with(kCompoundSignature); }

bool IsEncryptedPackage(std::string_view bytes) {
  if (!IsCompoundFile(bytes)) return false;
  // Directory entries hold their names in UTF-16LE; an encrypted package always has the
  // streams "EncryptionInfo" and "EncryptedPackage".
  static const std::string kName = [] {
    std::string name;
    for (char c : std::string_view("EncryptionInfo")) {
      name.push_back(c);
      name.push_back('\0');
    }
    return name;
  }();
  return bytes.find(kName) != std::string_view::npos;
}

ReadResult ReadXlsxFile(const std::string& native_path, const ZipLimits& limits) {
  {
    std::ifstream in(native_path, std::ios::binary);
    char head[8] = {};
    in.read(head, sizeof head);
    if (in.gcount() == sizeof head && IsCompoundFile(std::string_view(head, sizeof head))) {
      in.clear();
      in.seekg(0);
      std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      return CompoundFileResult(bytes);
    }
  }
  return Guarded([&](ZipReader& zip) { zip.OpenFile(native_path); }, limits);
}

ReadResult ReadXlsxBuffer(const void* data, std::size_t size, const ZipLimits& limits) {
  const std::string_view bytes(static_cast<const char*>(data), size);
  if (IsCompoundFile(bytes)) return CompoundFileResult(bytes);
  return Guarded([&](ZipReader& zip) { zip.OpenBuffer(data, size); }, limits);
}

}  // namespace brintova::engine::package
