// SaveWorkbookAs and SaveSheetAsCsv: the package kind, the guard against overwriting the
// source, and the temporary-file-and-rename around every write.
#include "engine/package/save_workbook.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "engine/package/atomic_file.h"
#include "engine/package/package_writer.h"
#include "engine/package/zip_writer.h"
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
  const std::string shown = ToUtf8(path);
  ReplaceFileAtomically(target, [&](const std::string& temporary) {
    try {
      if (FromPackage(book.source().kind)) {
        WritePackageFromSource(book, *kind, temporary, shown);
      } else {
        WriteNewPackage(book, *kind, temporary, shown);
      }
    } catch (const std::bad_alloc&) {
      throw Failure("Cannot save \"" + shown + "\": there is not enough memory.");
    }
  });
}

void SaveSheetAsCsv(const model::Workbook& book, const model::Sheet& sheet,
                    std::u16string_view path) {
  const std::string target = NativePathFromText(path);
  RefuseSavingOverSource(target, NativePathFromText(book.source().path));
  ReplaceFileAtomically(target, [&](const std::string& temporary) {
    errno = 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(temporary.c_str(), "wb"),
                                                         &std::fclose);
    const auto refused = [&] {
      return Failure("Cannot save \"" + ToUtf8(path) + "\": " +
                     (errno != 0 ? DiskErrorText(errno) : "the disk refused the data") + ".");
    };
    if (!file) throw refused();
    // Row by row, each only up to its last cell that shows a text, and no empty rows after the
    // last one that does: a sheet used to the grid's last cell costs its texts, not the grid.
    std::string line = "\xEF\xBB\xBF";
    std::size_t empty_rows = 0;  // rows without text not written yet
    std::int32_t next_row = 1;
    std::u16string text;
    const auto write = [&] {
      if (std::fwrite(line.data(), 1, line.size(), file.get()) != line.size()) throw refused();
      line.clear();
    };
    if (sheet.kind() == model::SheetKind::kWorksheet) {
      for (const auto& [row, cells] : sheet.rows()) {
        empty_rows += static_cast<std::size_t>(row - next_row);
        next_row = row + 1;
        std::int32_t last_column = 0;  // of the last field written in this row
        for (const model::Cell& cell : cells) {
          DisplayedText(book, sheet, &cell, text);
          if (text.empty()) continue;
          if (last_column == 0) {
            for (; empty_rows > 0; --empty_rows) line += "\r\n";
          }
          line.append(static_cast<std::size_t>(cell.column - std::max(last_column, 1)), ',');
          AppendUtf8Field(line, text);
          last_column = cell.column;
        }
        if (last_column == 0) {
          ++empty_rows;
          continue;
        }
        line += "\r\n";
        write();
      }
    }
    write();
    if (std::fclose(file.release()) != 0) throw refused();
  });
}

}  // namespace brintova::engine::package
