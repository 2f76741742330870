// The cell listing of "brintova-cli text".
#include "cli/cell_listing.h"

#include "cli/headless_ports.h"
#include "engine/model/cell.h"
#include "platform/text.h"

namespace brintova::cli {

std::string CellAddress(CellPosition cell) {
  return engine::model::CellReference(cell.row, cell.column);
}

std::string EscapeField(std::u16string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  static constexpr char kLowerHex[] = "0123456789abcdef";
  std::string escaped;
  escaped.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
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
  return escaped;
}

void ListDisplayedTexts(Workbook& workbook, std::ostream& out) {
  // Lines are gathered and written some 64 KiB at a time: a stream's insertions cost more than
  // the short lines they would write one by one.
  constexpr std::size_t kBlock = 64 * 1024;
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
