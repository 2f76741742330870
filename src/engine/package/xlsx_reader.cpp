// The Office Open XML reader: package relationships to the workbook part, then styles, shared
// strings and each sheet in tab order.
#include "engine/package/xlsx_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <unordered_map>

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
    if (!IsType(r.type, "officeDocument")) continue;
    if (r.external) {
      throw ReadError{"its main part is not in the package but refers to \"" + r.target +
                      "\" outside it, which a workbook never does"};
    }
    return r.target;
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

// A sheet list naming one sheet twice, or pointing two sheets at one relationship, cannot be
// read one way only (nor saved): the workbook part is damaged.
void CheckSheetList(const std::vector<SheetEntry>& sheets) {
  std::unordered_map<std::u16string, const SheetEntry*> by_name;
  std::unordered_map<std::string, const SheetEntry*> by_relationship;
  for (const SheetEntry& entry : sheets) {
    const auto [named, new_name] = by_name.emplace(model::FoldSheetName(entry.name), &entry);
    if (!new_name) {
      throw ReadError{"the workbook lists two sheets named \"" + ToUtf8(named->second->name) +
                      "\"" +
                      (named->second->name == entry.name ? ""
                                                         : " and \"" + ToUtf8(entry.name) +
                                                               "\" (names that differ "
                                                               "only in case)") +
                      "; the workbook part is damaged"};
    }
    if (entry.relationship_id.empty()) continue;
    const auto [related, new_id] = by_relationship.emplace(entry.relationship_id, &entry);
    if (!new_id) {
      throw ReadError{"sheets \"" + ToUtf8(related->second->name) + "\" and \"" +
                      ToUtf8(entry.name) + "\" both refer to relationship \"" +
                      entry.relationship_id + "\"; the workbook part is damaged"};
    }
  }
}

std::unique_ptr<model::Workbook> Read(const ZipReader& zip, const ReadLimits& limits) {
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
  CheckSheetList(workbook_part.sheets);

  const std::vector<Relationship> relationships = ReadRelationships(zip, main_part);
  std::unordered_map<std::string_view, const Relationship*> by_id;
  for (const auto& r : relationships) {
    by_id.emplace(r.id, &r);
    if (r.external) continue;
    if (IsType(r.type, "styles") && zip.Has(r.target)) {
      book->source().package.styles_part = r.target;
    } else if (IsType(r.type, "sharedStrings") && zip.Has(r.target)) {
      book->source().package.shared_strings_part = r.target;
    }
  }
  if (!book->source().package.styles_part.empty()) {
    ReadStylesPart(zip, book->source().package.styles_part, book->styles(), limits.max_formats);
  }
  if (!book->source().package.shared_strings_part.empty()) {
    ReadSharedStringsPart(zip, book->source().package.shared_strings_part, book->shared_strings());
  }
  if (workbook_part.sheets.empty()) throw ReadError{"the workbook lists no sheets"};

  CellBudget budget{limits.max_cells};
  for (const SheetEntry& entry : workbook_part.sheets) {
    const auto found = by_id.find(entry.relationship_id);
    if (found == by_id.end()) {
      throw ReadError{"sheet \"" + ToUtf8(entry.name) + "\" refers to relationship \"" +
                      entry.relationship_id + "\", which the workbook part does not have"};
    }
    const Relationship& related = *found->second;
    if (related.external) {
      throw ReadError{"sheet \"" + ToUtf8(entry.name) +
                      "\" is not in the package but refers to \"" + related.target +
                      "\" outside it, which a workbook never does"};
    }
    model::Sheet& sheet = book->AddSheet(entry.name, KindOf(related));
    sheet.set_visibility(entry.visibility);
    sheet.SetSource(related.target, related.id, entry.sheet_id);
    if (sheet.kind() == model::SheetKind::kWorksheet) {
      ReadWorksheetPart(zip, related.target, *book, sheet, budget);
    }
  }
  book->styles().MarkOriginal();
  return book;
}

template <typename Open>
ReadResult Guarded(Open&& open, const ReadLimits& limits) {
  ReadResult result;
  try {
    ZipReader zip;
    zip.set_limits(limits.zip);
    open(zip);
    result.workbook = Read(zip, limits);
  } catch (const ReadError& error) {
    result.error = error;
  } catch (const std::bad_alloc&) {
    result.error = {"there is not enough memory to open it"};
  } catch (const std::exception& error) {
    result.error = {std::string("it cannot be read (") + error.what() + ")"};
  }
  return result;
}

std::string TooLargeText(std::uint64_t limit) {
  return "the file is larger than " + GroupedDecimal(limit >> 20) +
         " MB, the most this program reads for one workbook";
}

// The whole file, read once. Throws ReadError.
void ReadWholeFile(const std::string& native_path, std::uint64_t limit, std::string& bytes) {
  const int fd = ::open(native_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    throw ReadError{std::string("the file cannot be read (") + std::strerror(errno) + ")"};
  struct stat info {};
  if (::fstat(fd, &info) == 0 && info.st_size > 0) {
    if (static_cast<std::uint64_t>(info.st_size) > limit) {
      ::close(fd);
      throw ReadError{TooLargeText(limit)};
    }
    bytes.reserve(static_cast<std::size_t>(info.st_size));
  }
  char chunk[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      throw ReadError{std::string("the file cannot be read (") + std::strerror(error) + ")"};
    }
    if (n == 0) break;
    bytes.append(chunk, static_cast<std::size_t>(n));
    if (bytes.size() > limit) {
      ::close(fd);
      throw ReadError{TooLargeText(limit)};
    }
  }
  ::close(fd);
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

ReadResult ReadXlsxFile(const std::string& native_path, const ReadLimits& limits) {
  auto bytes = std::make_shared<std::string>();
  try {
    ReadWholeFile(native_path, limits.zip.max_package_bytes, *bytes);
  } catch (const ReadError& error) {
    ReadResult result;
    result.error = error;
    return result;
  } catch (const std::bad_alloc&) {
    ReadResult result;
    result.error = {"there is not enough memory to open it"};
    return result;
  }
  return ReadXlsxBytes(std::move(bytes), limits);
}

ReadResult ReadXlsxBuffer(const void* data, std::size_t size, const ReadLimits& limits) {
  if (size > limits.zip.max_package_bytes) {
    ReadResult result;
    result.error = {TooLargeText(limits.zip.max_package_bytes)};
    return result;
  }
  return ReadXlsxBytes(std::make_shared<const std::string>(static_cast<const char*>(data), size),
                       limits);
}

ReadResult ReadXlsxBytes(std::shared_ptr<const std::string> bytes, const ReadLimits& limits) {
  if (IsCompoundFile(*bytes)) return CompoundFileResult(*bytes);
  ReadResult result = Guarded([&](ZipReader& zip) { zip.OpenBytes(bytes); }, limits);
  if (result.ok()) result.workbook->source().package_bytes = std::move(bytes);
  return result;
}

}  // namespace brintova::engine::package
