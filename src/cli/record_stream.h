// "run --format jsonl|csv": one record per result (file, sheet, cell, text, result) on standard
// output instead of saved workbooks. Workbooks are read one at a time and every record is
// written as soon as its cell is done, so memory stays flat however many files there are.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/recipe_options.h"
#include "platform/spreadsheet_server.h"

namespace brintova::cli {

// Writes records in one format: a JSON object per line ({"file", "sheet", "cell", "text",
// "result"}, UTF-8), or CSV (RFC 4180: a header line, fields quoted where they hold a comma,
// quote, CR or LF, lines ending in CR LF, no byte order mark).
class RecordWriter {
 public:
  RecordWriter(std::ostream& out, RecordFormat format);
  void Write(std::u16string_view file, std::u16string_view sheet, CellPosition cell,
             std::u16string_view text, std::u16string_view result);

 private:
  std::ostream& out_;
  RecordFormat format_;
  std::string line_;  // reused
};

// Reads every workbook of `sources` in order, applies the recipe and writes a record for each
// cell it gives a result. Failures (a workbook that cannot be read, a cell whose rule fails) go
// to `err`, naming the file, and the next goes on; a summary line ends `err`, and while
// `progress` a progress line is redrawn there. Returns kExitSuccess, or kExitFailure when
// anything failed (`listing_failures` counts failures before the first workbook).
int StreamRecords(const std::vector<std::u16string>& sources, const CheckedRecipe& recipe,
                  std::ostream& out, std::ostream& err, bool progress, int listing_failures);

}  // namespace brintova::cli
