// Reading the workbook, styles and shared-string parts of an .xlsb package.
#include "engine/xlsb/xlsb_parts.h"

#include <algorithm>
#include <vector>

#include "engine/package/read_error.h"
#include "engine/xlsb/record_stream.h"
#include "platform/text.h"

namespace brintova::engine::xlsb {

package::WorkbookPart ReadWorkbookBin(const package::ZipReader& zip, std::string_view part_name) {
  package::WorkbookPart workbook;
  ReadRecords(zip, part_name, [&](std::uint32_t type, std::string_view body) {
    if (type == record::kWorkbookProperties) {
      RecordCursor cursor(body, "the workbook properties record");
      workbook.date1904 = (cursor.U32() & 0x1u) != 0;
    } else if (type == record::kSheetEntry) {
      RecordCursor cursor(body, "a sheet entry of the workbook");
      package::SheetEntry entry;
      const std::uint32_t state = cursor.U32();
      entry.visibility = state == 1   ? model::Visibility::kHidden
                         : state == 2 ? model::Visibility::kVeryHidden
                                      : model::Visibility::kVisible;
      entry.sheet_id = cursor.U32();
      std::u16string id;
      cursor.WideString(id);
      entry.relationship_id = ToUtf8(id);
      cursor.WideString(entry.name);
      workbook.sheets.push_back(std::move(entry));
    }
  });
  return workbook;
}

void ReadStylesBin(const package::ZipReader& zip, std::string_view part_name,
                   model::StyleTable& styles) {
  std::vector<std::uint32_t> format_ids;  // numFmt id of each cell format, in order
  bool in_cell_formats = false;
  std::u16string code;
  ReadRecords(zip, part_name, [&](std::uint32_t type, std::string_view body) {
    switch (type) {
      case record::kNumberFormat: {
        RecordCursor cursor(body, "a number format record");
        const std::uint16_t id = cursor.U16();
        code.clear();
        cursor.WideString(code);
        styles.AddFormat(id, code);
        break;
      }
      case record::kBeginCellFormats:
        in_cell_formats = true;
        break;
      case record::kEndCellFormats:
        in_cell_formats = false;
        break;
      case record::kCellFormat:
        // Cell-style formats come in their own collection; only the cell formats count.
        if (in_cell_formats) {
          RecordCursor cursor(body, "a cell format record");
          cursor.U16();  // the parent style
          format_ids.push_back(cursor.U16());
        }
        break;
      default:
        break;
    }
  });
  // Made once the part is read: a number format may follow the formats that use it.
  styles.ClearStyles();
  for (std::uint32_t id : format_ids) styles.AddStyle(styles.FormatForId(id));
  styles.MarkOriginal();
}

void ReadSharedStringsBin(const package::ZipReader& zip, std::string_view part_name,
                          model::StringPool& strings) {
  std::u16string text;
  ReadRecords(zip, part_name, [&](std::uint32_t type, std::string_view body) {
    if (type == record::kBeginSharedStrings) {
      // The count only reserves room, capped: a file may claim any number.
      RecordCursor cursor(body, "the shared-string table's header");
      cursor.U32();
      strings.Reserve(std::min<std::uint32_t>(cursor.U32(), 1u << 16));
    } else if (type == record::kSharedStringItem) {
      RecordCursor cursor(body, "a shared string");
      cursor.U8();  // rich-text and phonetic flags: the runs that follow the text are not needed
      text.clear();
      cursor.WideString(text);
      strings.Add(text);
    }
  });
}

}  // namespace brintova::engine::xlsb
