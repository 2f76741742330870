// The cell listing of "brintova-cli text".
#include "cli/cell_listing.h"

#include <exception>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/headless_ports.h"
#include "engine/model/cell.h"
#include "engine/model/workbook.h"
#include "engine/package/xml_writer.h"
#include "engine/server/embedded_server.h"
#include "platform/text.h"

namespace brintova::cli {

std::string CellAddress(CellPosition cell) {
  return engine::model::CellReference(cell.row, cell.column);
}

void AppendEscaped(std::string& escaped, std::u16string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  static constexpr char kLowerHex[] = "0123456789abcdef";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    // Most text is printable ASCII: a run of it goes over as it is, a byte a code unit.
    if (c >= 0x20 && c < 0x7F && c != u'\\') {
      std::size_t end = i + 1;
      while (end < text.size() && text[end] >= 0x20 && text[end] < 0x7F && text[end] != u'\\') {
        ++end;
      }
      const std::size_t at = escaped.size();
      escaped.resize(at + (end - i));
      for (std::size_t k = i; k < end; ++k) escaped[at + (k - i)] = static_cast<char>(text[k]);
      i = end - 1;
      continue;
    }
    switch (c) {
      case u'\\':
        escaped += "\\\\";
        continue;
      case u'\t':
        escaped += "\\t";
        continue;
      case u'\r':
        escaped += "\\r";
        continue;
      case u'\n':
        escaped += "\\n";
        continue;
      default:
        break;
    }
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      AppendUtf8(escaped, 0x10000 + ((c - 0xD800u) << 10) + (text[i + 1] - 0xDC00u));
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      // Half of a pair has no UTF-8 form: written as its code unit, so it is not lost.
      escaped += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) escaped.push_back(kHex[(c >> shift) & 0xF]);
    } else if (IsControlCharacter(c)) {
      // C0, DEL and C1 would drive the terminal (ESC, BEL, the one-character CSI).
      escaped += "\\x";
      escaped.push_back(kLowerHex[(c >> 4) & 0xF]);
      escaped.push_back(kLowerHex[c & 0xF]);
    } else {
      AppendUtf8(escaped, c);
    }
  }
}

std::string EscapeField(std::u16string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  AppendEscaped(escaped, text);
  return escaped;
}

namespace {

// Lines are gathered and written some 64 KiB at a time: a stream's insertions cost more than
// the short lines they would write one by one.
constexpr std::size_t kBlock = 64 * 1024;

// Rows rendered together, on one of two threads: about this many cells each.
constexpr std::size_t kChunkCells = 32 * 1024;

using engine::model::Sheet;

// The lines of one run of a sheet's rows.
void AppendLines(const engine::model::Workbook& book, const Sheet& sheet, std::string_view name,
                 Sheet::RowIterator first, Sheet::RowIterator last, std::string& lines) {
  std::u16string text;
  for (auto it = first; it != last; ++it) {
    const auto [row, cells] = *it;
    for (const engine::model::Cell& cell : cells) {
      if (!cell.HasValue()) continue;
      engine::model::DisplayedText(book, sheet, &cell, text);
      if (text.empty()) continue;
      lines += name;
      lines += '\t';
      engine::package::AppendCellReference(lines, row, cell.column);
      lines += '\t';
      AppendEscaped(lines, text);
      lines += '\n';
    }
  }
}

// A worksheet of the engine's own, read from its cell store: rows in chunks, every other chunk
// rendered on a second thread while this one renders the one before, then both written in
// order. Rendering is read-only once every cell's number format is compiled, which is done
// first.
void ListSheet(const engine::model::Workbook& book, const Sheet& sheet, std::ostream& out) {
  const std::string name = EscapeField(sheet.name());
  std::vector<Sheet::RowIterator> bounds{sheet.rows().begin()};
  std::size_t cells = 0;
  for (auto row = sheet.rows().begin(); row != sheet.rows().end(); ++row) {
    for (const engine::model::Cell& cell : (*row).cells) book.styles().Format(cell.style);
    cells += (*row).cells.size();
    if (cells >= kChunkCells) {
      bounds.push_back(std::next(row));
      cells = 0;
    }
  }
  if (bounds.back() != sheet.rows().end()) bounds.push_back(sheet.rows().end());
  std::string first, second;
  for (std::size_t chunk = 0; chunk + 1 < bounds.size(); chunk += 2) {
    first.clear();
    second.clear();
    const bool pair = chunk + 2 < bounds.size();
    std::thread helper;
    std::exception_ptr helper_failure;
    if (pair) {
      try {
        helper = std::thread([&] {
          try {
            AppendLines(book, sheet, name, bounds[chunk + 1], bounds[chunk + 2], second);
          } catch (...) {
            helper_failure = std::current_exception();
          }
        });
      } catch (const std::system_error&) {
        // No second thread: this one renders both.
      }
    }
    try {
      AppendLines(book, sheet, name, bounds[chunk], bounds[chunk + 1], first);
    } catch (...) {
      if (helper.joinable()) helper.join();
      throw;
    }
    if (helper.joinable()) {
      helper.join();
      if (helper_failure) std::rethrow_exception(helper_failure);
    } else if (pair) {
      AppendLines(book, sheet, name, bounds[chunk + 1], bounds[chunk + 2], second);
    }
    out.write(first.data(), static_cast<std::streamsize>(first.size()));
    out.write(second.data(), static_cast<std::streamsize>(second.size()));
  }
}

}  // namespace

void ListDisplayedTexts(Workbook& workbook, std::ostream& out) {
  if (auto* embedded = dynamic_cast<engine::EmbeddedWorkbook*>(&workbook)) {
    const engine::model::Workbook& book = embedded->model();
    for (std::size_t i = 0; i < book.SheetCount(); ++i) {
      if (book.sheet(i).kind() == engine::model::SheetKind::kWorksheet) {
        ListSheet(book, book.sheet(i), out);
      }
    }
    return;
  }
  std::string lines;
  lines.reserve(kBlock + 4096);
  for (const auto& sheet : workbook.Worksheets()) {
    const std::string name = EscapeField(sheet->Name());
    const CellPosition end = sheet->UsedRangeEnd();
    CellPosition from{1, 1};
    while (from.row <= end.row) {
      const std::optional<CellPosition> cell = sheet->NextCellWithContent(from, end);
      if (!cell) break;
      const std::u16string text = sheet->CellText(*cell);
      if (!text.empty()) {
        lines += name;
        lines += '\t';
        lines += CellAddress(*cell);
        lines += '\t';
        lines += EscapeField(text);
        lines += '\n';
        if (lines.size() >= kBlock) {
          out.write(lines.data(), static_cast<std::streamsize>(lines.size()));
          lines.clear();
        }
      }
      from = *cell;
      if (++from.column > end.column) from = {from.row + 1, 1};
    }
  }
  out.write(lines.data(), static_cast<std::streamsize>(lines.size()));
}

}  // namespace brintova::cli
