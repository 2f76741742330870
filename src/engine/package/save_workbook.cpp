// SaveWorkbookAs and SaveSheetAsCsv: the package kind, the guard against overwriting the
// source, and the temporary-file-and-rename around every write.
#include "engine/package/save_workbook.h"

#include <cstdio>
#include <string>

#include "engine/package/atomic_file.h"
#include "engine/package/package_writer.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::engine::package {

namespace {

constexpr PackageKind kKinds[] = {
    {".xlsx", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml", false},
    {".xlsm", "application/vnd.ms-excel.sheet.macroEnabled.main+xml", true},
    {".xltx", "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml",
     false},
    {".xltm", "application/vnd.ms-excel.template.macroEnabled.main+xml", true},
};

bool FromPackage(model::SourceKind kind) {
  return kind == model::SourceKind::kXlsx || kind == model::SourceKind::kXlsm ||
         kind == model::SourceKind::kXltx || kind == model::SourceKind::kXltm;
}

void AppendUtf8Field(std::string& out, std::u16string_view text) {
  const bool quote = text.find_first_of(u",\"\r\n") != std::u16string_view::npos;
  if (quote) out.push_back('"');
  std::u16string doubled;
  if (quote) {
    for (const char16_t c : text) {
      doubled.push_back(c);
      if (c == u'"') doubled.push_back(u'"');
    }
    text = doubled;
  }
  out += ToUtf8(text);
  if (quote) out.push_back('"');
}

}  // namespace

void SaveWorkbookAs(const model::Workbook& book, std::u16string_view path) {
  const std::string target = NativePathFromText(path);
  const std::string extension = ToUtf8(LowerCaseExtension(path));
  const PackageKind* kind = nullptr;
  for (const PackageKind& k : kKinds) {
    if (extension == k.extension) kind = &k;
  }
  if (kind == nullptr) {
    throw Failure("Cannot save \"" + ToUtf8(path) +
                  "\": a workbook is saved as .xlsx, .xlsm, .xltx or .xltm.");
  }
  RefuseSavingOverSource(target, NativePathFromText(book.source().path));
  ReplaceFileAtomically(target, [&](const std::string& temporary) {
    if (FromPackage(book.source().kind)) {
      WritePackageFromSource(book, *kind, temporary);
    } else {
      WriteNewPackage(book, *kind, temporary);
    }
  });
}

void SaveSheetAsCsv(const model::Workbook& book, const model::Sheet& sheet,
                    std::u16string_view path) {
  const std::string target = NativePathFromText(path);
  RefuseSavingOverSource(target, NativePathFromText(book.source().path));
  std::string out = "\xEF\xBB\xBF";
  const model::UsedRange used = sheet.used_range();
  std::u16string text;
  if (!used.empty() && sheet.kind() == model::SheetKind::kWorksheet) {
    for (std::int32_t row = 1; row <= used.last_row; ++row) {
      for (std::int32_t column = 1; column <= used.last_column; ++column) {
        if (column > 1) out.push_back(',');
        DisplayedText(book, sheet, sheet.Find(row, column), text);
        AppendUtf8Field(out, text);
      }
      out += "\r\n";
    }
  }
  ReplaceFileAtomically(target, [&](const std::string& temporary) {
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    bool ok = file != nullptr && std::fwrite(out.data(), 1, out.size(), file) == out.size();
    if (file != nullptr) ok = std::fclose(file) == 0 && ok;
    if (!ok) throw Failure("Cannot write \"" + ToUtf8(path) + "\": the disk refused the data.");
  });
}

}  // namespace brintova::engine::package
