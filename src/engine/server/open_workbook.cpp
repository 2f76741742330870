// The open dispatcher: checks that the path is a readable file, then picks the reader by the
// file name's extension. Unknown extensions are not workbooks.
#include "engine/server/open_workbook.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/legacy/legacy_workbook_reader.h"
#include "engine/ods/ods_reader.h"
#include "engine/package/xlsx_reader.h"
#include "engine/text/text_workbook_reader.h"
#include "engine/xlsb/xlsb_reader.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::engine {

namespace {

void CheckReadableFile(std::u16string_view path, const std::string& native) {
  struct stat info;
  if (::stat(native.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR)
      throw Failure(u"File not found: " + std::u16string(path));
    throw Failure(u"Cannot open " + std::u16string(path) + u": " + ToUtf16(std::strerror(errno)));
  }
  if (S_ISDIR(info.st_mode)) {
    throw Failure(u"Not a workbook: " + std::u16string(path) + u" (it is a folder)");
  }
  if (!S_ISREG(info.st_mode)) throw Failure(u"Not a workbook: " + std::u16string(path));
  if (::access(native.c_str(), R_OK) != 0) {
    throw Failure(u"Cannot open " + std::u16string(path) + u": permission denied");
  }
}

// Turns a reader's result into the workbook, or into a Failure naming the file.
std::unique_ptr<model::Workbook> Finish(package::ReadResult result, std::u16string_view path,
                                        model::SourceKind kind) {
  if (!result.ok()) {
    const std::u16string reason = ToUtf16(result.error.description);
    if (result.error.encrypted) {
      throw Failure(u"This workbook is protected by a password: " + std::u16string(path));
    }
    if (result.error.not_a_workbook) {
      throw Failure(u"Not a workbook: " + std::u16string(path) + u" (" + reason + u")");
    }
    throw Failure(u"Cannot open " + std::u16string(path) + u": " + reason);
  }
  result.workbook->source().path = std::u16string(path);
  result.workbook->source().kind = kind;
  return std::move(result.workbook);
}

// An .xls or .xlt that is really an Office Open XML package (renamed, or written so by another
// program) opens in the application, and so it does here; it is saved as .xlsx like any .xls.
package::ReadResult ReadLegacyOrPackage(const std::string& native) {
  char head[4] = {};
  if (std::FILE* f = std::fopen(native.c_str(), "rb")) {
    const std::size_t got = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    if (got == sizeof head && std::memcmp(head, "PK\x03\x04", sizeof head) == 0) {
      return package::ReadXlsxFile(native);
    }
  }
  return legacy::ReadLegacyFile(native);
}

}  // namespace

std::unique_ptr<model::Workbook> OpenWorkbookFile(std::u16string_view path) {
  const std::string native = NativePathFromText(path);
  CheckReadableFile(path, native);
  const std::u16string extension = LowerCaseExtension(path);
  if (extension == u".xlsx")
    return Finish(package::ReadXlsxFile(native), path, model::SourceKind::kXlsx);
  if (extension == u".xlsm")
    return Finish(package::ReadXlsxFile(native), path, model::SourceKind::kXlsm);
  if (extension == u".xltx")
    return Finish(package::ReadXlsxFile(native), path, model::SourceKind::kXltx);
  if (extension == u".xltm")
    return Finish(package::ReadXlsxFile(native), path, model::SourceKind::kXltm);
  if (extension == u".xlsb")
    return Finish(xlsb::ReadXlsbFile(native), path, model::SourceKind::kXlsb);
  if (extension == u".ods" || extension == u".ots")
    return Finish(ods::ReadOdsFile(native), path, model::SourceKind::kOds);
  if (extension == u".csv" || extension == u".txt") return textfile::ReadTextWorkbook(path);
  if (extension == u".xls")
    return Finish(ReadLegacyOrPackage(native), path, model::SourceKind::kXls);
  if (extension == u".xlt")
    return Finish(ReadLegacyOrPackage(native), path, model::SourceKind::kXlt);
  throw Failure(u"Not a workbook: " + std::u16string(path));
}

}  // namespace brintova::engine
