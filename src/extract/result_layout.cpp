// The result sheets of a recipe run, their names, and the visit that only reports.
#include "extract/result_layout.h"

#include <memory>
#include <vector>

#include "extract/character_count.h"
#include "extract/marker_search.h"
#include "platform/text.h"

namespace brintova::ExcelExtract {

namespace {

// The longest start of `name` of at most `limit` code units that ends between two characters.
std::u16string_view Shortened(std::u16string_view name, std::size_t limit) {
  if (name.size() <= limit) return name;
  std::size_t fits = 0;
  for (const std::size_t boundary : CharacterBoundaries(name)) {
    if (boundary > limit) break;
    fits = boundary;
  }
  std::u16string_view shortened = name.substr(0, fits);
  while (!shortened.empty() && shortened.back() == u' ') shortened.remove_suffix(1);
  return shortened;
}

std::optional<CellResult> Apply(const CellRule& rule, std::u16string_view text, OutputMode mode,
                                std::optional<Failure>& failure) {
  try {
    return rule(text, mode);
  } catch (const Failure& caught) {
    failure = caught;
    return std::nullopt;
  }
}

void Write(Sheet& sheet, CellPosition cell, const CellResult& result) {
  sheet.Cells(cell.row, cell.column).SetNumberFormat(u"@");
  sheet.Cells(cell.row, cell.column).SetValue(result.text);
}

// The result sheets of the per-sheet layout, one per worksheet, in worksheet order.
std::vector<std::shared_ptr<Sheet>> PerSheetTargets(
    Workbook& source, Workbook* output, const std::vector<std::shared_ptr<Sheet>>& worksheets) {
  Workbook& target = output != nullptr ? *output : source;
  std::vector<std::u16string> taken;  // folded names of the target's sheets and those chosen
  for (std::int32_t i = 1, count = target.Sheets().Count(); i <= count; ++i) {
    // A new workbook's own blank sheet is renamed, so its name does not count.
    if (output == nullptr) taken.push_back(FoldCase(target.Sheets().Item(i)->Name()));
  }
  std::vector<std::u16string> names;
  for (const auto& worksheet : worksheets) {
    names.push_back(ResultSheetName(worksheet->Name(), [&](std::u16string_view name) {
      const std::u16string folded = FoldCase(name);
      for (const std::u16string& t : taken) {
        if (t == folded) return true;
      }
      return false;
    }));
    taken.push_back(FoldCase(names.back()));
  }

  std::vector<std::shared_ptr<Sheet>> targets(worksheets.size());
  if (worksheets.empty()) return targets;
  // Added from the last to the first, each in front of the one added before it.
  std::size_t first_added = 0;
  if (output != nullptr) {
    targets[names.size() - 1] = output->Sheets().Item(1);
    targets[names.size() - 1]->SetName(names.back());
    first_added = 1;
  }
  for (std::size_t k = names.size() - first_added; k-- > 0;) {
    SheetCollection& sheets = target.Sheets();
    targets[k] = sheets.Add(sheets.Item(1));
    targets[k]->SetName(names[k]);
  }
  return targets;
}

}  // namespace

std::u16string ResultSheetName(std::u16string_view source_name,
                               const std::function<bool(std::u16string_view name)>& taken) {
  for (long long number = 1;; ++number) {
    std::u16string suffix = u" results";
    if (number > 1) suffix += u" (" + DecimalText(number) + u")";
    std::u16string name(Shortened(source_name, kMaxSheetName - suffix.size()));
    name += suffix;
    if (!taken(name)) return name;
  }
}

void WriteResults(Workbook& source, Workbook* output, OutputMode mode, Layout layout,
                  const CellRule& rule, const CellFailureHandler& on_failure) {
  if (mode == OutputMode::kNewWorkbook && output == nullptr) {
    throw Failure("There is no workbook to put the results in.");
  }
  Workbook* destination = mode == OutputMode::kNewWorkbook ? output : nullptr;
  // Taken before any result sheet exists, so that none of them is walked.
  const std::vector<std::shared_ptr<Sheet>> worksheets = source.Worksheets();
  std::vector<std::shared_ptr<Sheet>> targets;
  if (layout == Layout::kPerSheet) {
    targets = PerSheetTargets(source, destination, worksheets);
  } else {
    std::shared_ptr<Sheet> only = destination != nullptr
                                      ? destination->Sheets().Item(1)
                                      : source.Sheets().Add(source.Sheets().Item(1));
    targets.assign(worksheets.size(), only);
  }
  for (std::size_t i = 0; i < worksheets.size(); ++i) {
    Sheet& worksheet = *worksheets[i];
    const std::u16string name = worksheet.Name();
    VisitCellsWithText(worksheet, [&](CellPosition cell, const std::u16string& text) {
      std::optional<Failure> failure;
      const std::optional<CellResult> result = Apply(rule, text, mode, failure);
      if (failure) {
        on_failure(name, cell, *failure);
      } else if (result) {
        Write(*targets[i], cell, *result);
      }
      return true;
    });
  }
}

void VisitResults(Workbook& source, OutputMode mode, const CellRule& rule,
                  const std::function<bool(const CellOutcome& outcome)>& visit) {
  for (const std::shared_ptr<Sheet>& worksheet : source.Worksheets()) {
    const std::u16string name = worksheet->Name();
    const bool go_on =
        VisitCellsWithText(*worksheet, [&](CellPosition cell, const std::u16string& text) {
          std::optional<Failure> failure;
          const std::optional<CellResult> result = Apply(rule, text, mode, failure);
          return visit(CellOutcome{name, cell, text, result, failure ? &*failure : nullptr});
        });
    if (!go_on) return;
  }
}

}  // namespace brintova::ExcelExtract
