// One sheet's substream of a legacy workbook stream (BOF to its EOF): the sheet's kind as the
// substream tells it, and its cells in the order the model wants them.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/legacy/biff_stream.h"
#include "engine/legacy/code_page.h"
#include "engine/model/workbook.h"

namespace brintova::engine::legacy {

// What the globals of the workbook stream told about reading cells.
struct BiffFacts {
  bool biff8 = true;  // Excel 97-2003; false for Excel 5/95 (BIFF5)
  const CodePage* code_page = nullptr;
  const model::StringPool* shared_strings = nullptr;
  std::uint32_t style_count = 0;  // XF records in the globals
};

struct SheetCells {
  bool dialog = false;  // the substream is a dialog sheet
  bool chart = false;   // the substream is a chart
  std::size_t cell_count = 0;
};

// Reads the substream whose BOF record is next in `records`, leaving `records` after its EOF;
// with a `sheet`, its cells go there unless the substream is a chart or dialog sheet. Cells
// that arrive out of order are sorted; of two at one position the later is kept; a cell past
// the grid's last column is left out.
SheetCells ReadSheetSubstream(RecordStream& records, const BiffFacts& facts, model::Sheet* sheet);

}  // namespace brintova::engine::legacy
