// Where a recipe's results go, and walks that do not write: results in one sheet as the window
// puts them, or one result sheet per source worksheet so that sheets sharing addresses never
// overwrite each other; and a visit of every cell with its result, for previews and records.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "extract/cell_walk.h"
#include "platform/failure.h"
#include "platform/spreadsheet_server.h"

namespace brintova::ExcelExtract {

enum class Layout {
  kOneSheet,  // every worksheet's results in one sheet, a later worksheet's over an earlier's
  kPerSheet,  // "<worksheet> results" for each worksheet
};

// Sheet names hold at most this many UTF-16 code units.
inline constexpr std::size_t kMaxSheetName = 31;

// "<source_name> results", or "<source_name> results (2)", (3), ... for the first name that
// `taken` refuses. The source name is shortened, never splitting a character, so that the
// whole name fits in kMaxSheetName.
std::u16string ResultSheetName(std::u16string_view source_name,
                               const std::function<bool(std::u16string_view name)>& taken);

// A cell whose rule failed: the walk leaves it unwritten and goes on.
using CellFailureHandler =
    std::function<void(std::u16string_view sheet, CellPosition cell, const Failure& failure)>;

// Writes `rule`'s result for every cell with text of `source`'s worksheets to the same address
// of a result sheet. New-sheet mode (`output` null): the result sheets are inserted in front of
// the source's sheets. New-workbook mode: they are `output`'s sheets, its first sheet taking
// the first worksheet's results. Every written cell gets the "@" format just before its value,
// as in WalkCells. In the per-sheet layout every worksheet gets a sheet, named by
// ResultSheetName, in worksheet order, even one that yields nothing. Throws Failure from the
// server; a Failure thrown by the rule goes to `on_failure` instead.
void WriteResults(Workbook& source, Workbook* output, OutputMode mode, Layout layout,
                  const CellRule& rule, const CellFailureHandler& on_failure);

// One cell with text and what the rule made of it.
struct CellOutcome {
  std::u16string_view sheet;
  CellPosition cell;
  std::u16string_view text;
  const std::optional<CellResult>& result;  // nullopt: the rule writes nothing here
  const Failure* failure;                   // set when the rule failed on this cell
};

// Applies `rule` to every cell with text of `source`'s worksheets in walk order, writing
// nothing, and hands each outcome to `visit` until it returns false. Throws Failure from the
// server.
void VisitResults(Workbook& source, OutputMode mode, const CellRule& rule,
                  const std::function<bool(const CellOutcome& outcome)>& visit);

}  // namespace brintova::ExcelExtract
