// Running a recipe over the listed workbooks.
#include "cli/recipe_run.h"

#include "cli/cell_listing.h"
#include "cli/headless_ports.h"
#include "cli/record_stream.h"
#include "cli/workbook_list.h"
#include "engine/package/save_workbook.h"
#include "extract/automation.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::cli {

namespace {

// Quits every instance it holds when it goes, whatever happened in between.
class Instances {
 public:
  ~Instances() {
    for (const auto& instance : instances_) {
      try {
        instance->Quit();
      } catch (const Failure&) {
        // Quit only fails on an instance that has quit already.
      }
    }
  }
  void Hold(std::shared_ptr<Application> instance) { instances_.push_back(std::move(instance)); }

 private:
  std::vector<std::shared_ptr<Application>> instances_;
};

std::uint64_t CellCount(const engine::model::Workbook& book) {
  std::uint64_t cells = 0;
  for (std::size_t i = 0; i < book.SheetCount(); ++i) cells += book.sheet(i).CellCount();
  return cells;
}

}  // namespace

WorkbookOutcome ProcessRecipeWorkbook(engine::EmbeddedServer& server, const CheckedRecipe& checked,
                                      const ListedWorkbook& workbook) {
  WorkbookOutcome outcome;
  const std::u16string& source_path = workbook.source;
  Instances instances;
  try {
    const std::shared_ptr<Application> source_instance =
        ExcelExtract::OpenWorkbookInNewExcel(server, source_path);
    instances.Hold(source_instance);
    WorkbookCollection& books = source_instance->Workbooks();
    const std::shared_ptr<Workbook> source = books.Item(books.Count());
    std::shared_ptr<Workbook> output;
    if (checked.mode == ExcelExtract::OutputMode::kNewWorkbook) {
      const std::shared_ptr<Application> output_instance = server.CreateObject(kSpreadsheetProgId);
      instances.Hold(output_instance);
      output = output_instance->Workbooks().Add();
    }

    std::size_t failed_cells = 0;
    ExcelExtract::WriteResults(
        *source, output.get(), checked.mode, checked.layout,
        ExcelExtract::MakeCellRule(checked.recipe),
        [&](std::u16string_view sheet, CellPosition cell, const Failure& failure) {
          if (++failed_cells > kCellFailuresListed) return;
          outcome.other_failures.push_back(source_path + u", sheet " + std::u16string(sheet) +
                                           u", cell " + ToUtf16(CellAddress(cell)) + u": " +
                                           failure.description());
        });
    if (failed_cells > kCellFailuresListed) {
      outcome.other_failures.push_back(
          source_path + u": " + DecimalText(static_cast<long long>(failed_cells)) +
          u" cells failed in all, left unwritten; the first " +
          DecimalText(static_cast<long long>(kCellFailuresListed)) + u" are shown above");
    }

    const auto result =
        std::dynamic_pointer_cast<engine::EmbeddedWorkbook>(output ? output : source);
    if (!result) throw Failure("The result is not a workbook of the embedded server");
    engine::package::SaveWorkbookAs(result->model(), workbook.result_path);
    outcome.saved = true;
    outcome.cells = CellCount(result->model());
    outcome.notice = engine::UncalculatedFormulasNotice(result->model());
  } catch (const Failure& failure) {
    outcome.other_failures.push_back(source_path + u": " + failure.description());
  }
  return outcome;
}

int RecipeRunCommand(const RunArguments& run, const RecipeArguments& options, std::ostream& out,
                     std::ostream& err, bool progress) {
  const CheckedRecipe checked = CheckRecipe(run, options);
  if (checked.format == RecordFormat::kWorkbook) {
    if (!options.has_output) throw UsageError("give the folder to save the results in: --output");
    return SaveEachWorkbook(run, err, progress,
                            [&checked](engine::EmbeddedServer& server, const ListedWorkbook& book) {
                              return ProcessRecipeWorkbook(server, checked, book);
                            });
  }
  if (run.inputs.empty()) throw UsageError("no files or folders given");
  int failures = 0;
  const std::vector<std::u16string> sources = ListWorkbooks(run.inputs, err, failures);
  if (sources.empty() && failures == 0) throw UsageError("the folders given hold no files");
  return StreamRecords(sources, checked, out, err, progress, failures);
}

}  // namespace brintova::cli
