// The Office Open XML reader and writer under libFuzzer. An input that begins "PK" is taken as a
// zip package as it stands (damaged directories, bad compression, bombs). Any other input is a
// list of parts, each introduced by a line "#=<part name>", packed here into a stored zip with
// correct checksums, so that mutations reach the XML parsers instead of failing the CRC.
// A workbook that reads is rendered cell by cell, then saved with a result sheet added, and the
// saved file must read again. The reader runs under a package budget scaled to the fuzzer's
// memory.
#include <unistd.h>
#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "../common/fuzz_workbook.h"
#include "engine/package/save_workbook.h"
#include "engine/package/xlsx_reader.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace {

using brintova::engine::package::ReadLimits;
using brintova::engine::package::ReadResult;

// The package budget scaled down so that libFuzzer's memory limit is never what stops an
// input: the reader's own refusal must come first.
ReadLimits FuzzLimits() {
  ReadLimits limits;
  limits.zip.max_part_bytes = std::uint64_t{16} << 20;
  limits.zip.ratio_floor_bytes = std::uint64_t{1} << 20;
  limits.zip.max_package_bytes = std::uint64_t{32} << 20;
  limits.max_cells = std::uint64_t{1} << 20;
  limits.max_formats = std::uint64_t{1} << 16;
  return limits;
}

// Packs "#=name\n<bytes>" sections into a stored zip; false when libzip refuses a name.
bool PackParts(std::string_view text, std::string& zip_bytes) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_error_fini(&error);
  if (buffer == nullptr) return false;
  zip_source_keep(buffer);
  zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, nullptr);
  if (archive == nullptr) {
    zip_source_free(buffer);
    return false;
  }
  std::size_t at = text.find("#=");
  bool ok = at != std::string_view::npos;
  while (ok && at != std::string_view::npos) {
    const std::size_t name_end = text.find('\n', at);
    if (name_end == std::string_view::npos) break;
    const std::string name(text.substr(at + 2, name_end - at - 2));
    std::size_t next = text.find("\n#=", name_end);
    const std::string_view body = text.substr(
        name_end + 1, (next == std::string_view::npos ? text.size() : next) - name_end - 1);
    zip_source_t* part = zip_source_buffer(archive, body.data(), body.size(), 0);
    const zip_int64_t index =
        part == nullptr ? -1 : zip_file_add(archive, name.c_str(), part, ZIP_FL_OVERWRITE);
    if (index < 0) {
      if (part != nullptr) zip_source_free(part);
      ok = false;
      break;
    }
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    at = next == std::string_view::npos ? next : next + 1;
  }
  if (!ok) zip_discard(archive);
  if (!ok || zip_close(archive) != 0) {
    if (ok) zip_discard(archive);  // zip_close failed and left the archive open
    zip_source_free(buffer);
    return false;
  }
  zip_stat_t stat;
  bool read = zip_source_stat(buffer, &stat) == 0 && zip_source_open(buffer) == 0;
  if (read) {
    zip_bytes.resize(stat.size);
    read =
        zip_source_read(buffer, zip_bytes.data(), stat.size) == static_cast<zip_int64_t>(stat.size);
    zip_source_close(buffer);
  }
  zip_source_free(buffer);
  return read;
}

// Adds a result sheet as a run does, saves (from the bytes the workbook keeps), and reads the
// saved file back.
void SaveAndReopen(brintova::engine::model::Workbook& book) {
  book.source().kind = brintova::engine::model::SourceKind::kXlsx;
  namespace model = brintova::engine::model;
  model::Sheet& results = book.InsertSheet(0, book.NextSheetName());
  const std::uint32_t text_style = book.styles().StyleWithFormat(0, u"@");
  int written = 0;
  for (std::size_t i = 1; i < book.SheetCount() && written < 64; ++i) {
    const model::Sheet& sheet = book.sheet(i);
    for (const auto& [row, cells] : sheet.rows()) {
      for (const model::Cell& cell : cells) {
        if (written == 64) break;
        std::u16string text;
        model::DisplayedText(book, sheet, &cell, text);
        ++written;
        results.Put(written, model::Cell::OwnedString(1, results.strings().Add(text), text_style));
      }
    }
  }
  results.set_changed(true);
  static const std::string target = "/tmp/brintova-xlsx-fuzz-" + std::to_string(getpid()) + ".xlsx";
  try {
    brintova::engine::package::SaveWorkbookAs(book, brintova::TextFromNativePath(target));
  } catch (const brintova::Failure&) {
    return;  // a refusal with a reason is an answer
  }
  const ReadResult again = brintova::engine::package::ReadXlsxFile(target, FuzzLimits());
  std::remove(target.c_str());
  if (!again.ok()) {
    std::fprintf(stderr, "the saved workbook does not read again: %s\n",
                 again.error.description.c_str());
    __builtin_trap();
  }
  brintova::fuzz::VisitWorkbook(*again.workbook);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string zip_bytes;
  if (input.starts_with("PK")) {
    zip_bytes.assign(input);
  } else if (!PackParts(input, zip_bytes)) {
    return 0;
  }
  ReadResult result =
      brintova::engine::package::ReadXlsxBuffer(zip_bytes.data(), zip_bytes.size(), FuzzLimits());
  if (!result.ok()) {
    if (result.error.description.empty()) __builtin_trap();  // every refusal says why
    return 0;
  }
  brintova::fuzz::VisitWorkbook(*result.workbook);
  SaveAndReopen(*result.workbook);
  return 0;
}
