// Worksheet and styles parts written from the model.
#include "engine/package/worksheet_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#include "engine/package/xml_writer.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::engine::package {

namespace {

void AppendUnsigned(std::string& out, std::uint64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void AppendNumber(std::string& out, double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

}  // namespace

const PackageNamespaces& TransitionalNamespaces() {
  static const PackageNamespaces ns{
      "http://schemas.openxmlformats.org/spreadsheetml/2006/main",
      "http://schemas.openxmlformats.org/officeDocument/2006/relationships",
      "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet",
      "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles"};
  return ns;
}

const PackageNamespaces& StrictNamespaces() {
  static const PackageNamespaces ns{
      "http://purl.oclc.org/ooxml/spreadsheetml/main",
      "http://purl.oclc.org/ooxml/officeDocument/relationships",
      "http://purl.oclc.org/ooxml/officeDocument/relationships/worksheet",
      "http://purl.oclc.org/ooxml/officeDocument/relationships/styles"};
  return ns;
}

std::string WriteWorksheetXml(const model::Workbook& book, const model::Sheet& sheet,
                              const PackageNamespaces& ns,
                              const std::vector<std::uint32_t>& style_index, bool selected) {
  std::string whole;
  WriteWorksheetXmlBlocks(
      book, sheet, ns, style_index, selected,
      [&](std::string block) {
        if (whole.empty()) {
          whole = std::move(block);
        } else {
          whole += block;
        }
      },
      std::size_t{64} << 20);
  return whole;
}

void WriteWorksheetXmlBlocks(const model::Workbook& book, const model::Sheet& sheet,
                             const PackageNamespaces& ns,
                             const std::vector<std::uint32_t>& style_index, bool selected,
                             const std::function<void(std::string block)>& emit,
                             std::size_t block_bytes) {
  std::string out;
  out.reserve(std::min(block_bytes, 64 + sheet.CellCount() * 40) + 1024);
  // Hands the block made so far to `emit` once it is full; called after each cell.
  const auto flush = [&] {
    if (out.size() < block_bytes) return;
    emit(std::move(out));
    out.clear();
    out.reserve(block_bytes + 1024);
  };
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet xmlns=\"";
  out += ns.main;
  out += "\" xmlns:r=\"";
  out += ns.relationships;
  out += "\"><dimension ref=\"";
  const model::UsedRange used = sheet.used_range();
  if (used.empty()) {
    out += "A1";
  } else {
    AppendCellReference(out, used.first_row, used.first_column);
    if (used.last_row != used.first_row || used.last_column != used.first_column) {
      out.push_back(':');
      AppendCellReference(out, used.last_row, used.last_column);
    }
  }
  out += "\"/><sheetViews><sheetView workbookViewId=\"0\"";
  if (selected) out += " tabSelected=\"1\"";
  out += "/></sheetViews><sheetFormatPr defaultRowHeight=\"15\"/><sheetData>";
  for (const auto& [row, cells] : sheet.rows()) {
    if (cells.empty()) continue;
    out += "<row r=\"";
    AppendUnsigned(out, static_cast<std::uint32_t>(row));
    out += "\">";
    for (const model::Cell& cell : cells) {
      flush();
      out += "<c r=\"";
      AppendCellReference(out, row, cell.column);
      out.push_back('"');
      std::uint32_t style = cell.style;
      if (!style_index.empty()) {
        style = style < style_index.size() ? style_index[style] : 0;
      } else if (style >= book.styles().StyleCount()) {
        style = 0;  // a style the source lacked
      }
      if (style != 0) {
        out += " s=\"";
        AppendUnsigned(out, style);
        out.push_back('"');
      }
      switch (cell.type) {
        case model::CellType::kEmpty:
          out += "/>";
          continue;
        case model::CellType::kNumber:
          // A file cannot hold NaN or infinity as a number (other programs read "nan" as 0):
          // the cell holds what the application shows for them.
          if (!std::isfinite(cell.number)) {
            out += " t=\"e\"><v>#NUM!</v></c>";
            continue;
          }
          out += "><v>";
          AppendNumber(out, cell.number);
          out += "</v></c>";
          continue;
        case model::CellType::kBoolean:
          out += cell.boolean ? " t=\"b\"><v>1</v></c>" : " t=\"b\"><v>0</v></c>";
          continue;
        case model::CellType::kError:
          out += " t=\"e\"><v>";
          AppendXmlText(out, numfmt::ErrorText(cell.error));
          out += "</v></c>";
          continue;
        case model::CellType::kSharedString:
        case model::CellType::kOwnedString: {
          const std::u16string_view text = book.CellString(sheet, cell);
          if (text.size() > model::kMaxCellText) {
            throw Failure("Cannot save cell " + model::CellReference(row, cell.column) +
                          " of sheet \"" + ToUtf8(sheet.name()) + "\": its text has " +
                          std::to_string(text.size()) +
                          " characters, more than the 32,767 a cell can hold.");
          }
          out += NeedsSpacePreserved(text) ? " t=\"inlineStr\"><is><t xml:space=\"preserve\">"
                                           : " t=\"inlineStr\"><is><t>";
          AppendXmlText(out, text);
          out += "</t></is></c>";
          continue;
        }
      }
    }
    out += "</row>";
  }
  out +=
      "</sheetData><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
      "header=\"0.3\" footer=\"0.3\"/></worksheet>";
  emit(std::move(out));
}

DeflatedPart DeflateWorksheetXml(const model::Workbook& book, const model::Sheet& sheet,
                                 const PackageNamespaces& ns,
                                 const std::vector<std::uint32_t>& style_index, bool selected) {
  BlockDeflater deflater(kLargeSheetDeflateLevel, kSmallSheetDeflateLevel);
  WriteWorksheetXmlBlocks(book, sheet, ns, style_index, selected,
                          [&](std::string block) { deflater.Add(std::move(block)); });
  return deflater.Finish();
}

std::string WriteStylesXml(const model::StyleTable& styles) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<styleSheet "
      "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
  std::string formats;
  std::size_t custom = 0;
  for (const auto& format : styles.formats()) {
    if (format.id < 164) continue;
    formats += "<numFmt numFmtId=\"";
    AppendUnsigned(formats, format.id);
    formats += "\" formatCode=\"";
    AppendXmlAttribute(formats, format.code);
    formats += "\"/>";
    ++custom;
  }
  if (custom > 0) {
    out += "<numFmts count=\"";
    AppendUnsigned(out, custom);
    out += "\">" + formats + "</numFmts>";
  }
  out +=
      "<fonts count=\"1\"><font><sz val=\"11\"/><color theme=\"1\"/><name val=\"Calibri\"/>"
      "<family val=\"2\"/><scheme val=\"minor\"/></font></fonts>"
      "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill "
      "patternType=\"gray125\"/></fill></fills>"
      "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
      "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
      "</cellStyleXfs><cellXfs count=\"";
  AppendUnsigned(out, styles.StyleCount());
  out += "\">";
  for (const auto& style : styles.styles()) {
    const std::uint32_t id = styles.formats()[style.number_format].id;
    out += "<xf numFmtId=\"";
    AppendUnsigned(out, id);
    out += "\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"";
    if (id != 0) out += " applyNumberFormat=\"1\"";
    out += "/>";
  }
  out +=
      "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/>"
      "</cellStyles><dxfs count=\"0\"/><tableStyles count=\"0\"/></styleSheet>";
  return out;
}

}  // namespace brintova::engine::package
