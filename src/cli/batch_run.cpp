// The headless run over a list of workbooks, one embedded server per worker thread.
#include "cli/batch_run.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "cli/headless_ports.h"
#include "engine/package/save_workbook.h"
#include "extract/extraction_run.h"
#include "platform/failure.h"
#include "platform/ports.h"
#include "platform/posix/posix_file_queries.h"
#include "platform/text.h"

namespace brintova::cli {

namespace {

std::uint64_t CellCount(const engine::model::Workbook& book) {
  std::uint64_t cells = 0;
  for (std::size_t i = 0; i < book.SheetCount(); ++i) cells += book.sheet(i).CellCount();
  return cells;
}

// Saves the workbook the run worked on: the last one opened in the visible instance.
void SaveResult(engine::EmbeddedApplication& instance, const std::u16string& path,
                WorkbookOutcome& outcome) {
  WorkbookCollection& books = instance.Workbooks();
  auto book = std::dynamic_pointer_cast<engine::EmbeddedWorkbook>(books.Item(books.Count()));
  if (!book) throw Failure(u"The result is not a workbook of the embedded server");
  const engine::model::Workbook& model = book->model();
  engine::package::SaveWorkbookAs(model, path);
  outcome.saved = true;
  outcome.cells = CellCount(model);
  outcome.notice = engine::UncalculatedFormulasNotice(model);
}

}  // namespace

WorkbookOutcome ProcessWorkbook(engine::EmbeddedServer& server, const RunSettings& settings,
                                const ListedWorkbook& workbook) {
  WorkbookOutcome outcome;
  HeadlessForm form;
  form.ListView1().Add(workbook.source);
  form.Combo1().SetListIndex(settings.operation);
  form.SetNewWorkbookMode(settings.new_workbook);
  HeadlessDialogs dialogs(settings.parameter, [&](std::u16string_view text) {
    outcome.application_errors.emplace_back(text);
  });
  TransientSettings store;
  PosixFileQueries files;
  HeadlessShell shell(u"");
  Ports ports{form, dialogs, store, files, shell, server};

  // What a reader left out of a workbook (rows past the grid of a text file) fails the
  // workbook, though the run goes on with what was read.
  server.SetOpenFailureReporter(
      [&](std::u16string_view message) { outcome.other_failures.emplace_back(message); });
  PushButton7_Click(ports);
  server.SetOpenFailureReporter(nullptr);

  // The run shows exactly one instance per workbook (the source's, or the new workbook's);
  // none when the workbook could not be opened, which the run has reported already.
  const auto visible = server.VisibleInstances();
  if (visible.empty() && outcome.application_errors.empty()) {
    outcome.other_failures.push_back(u"The run left no result to save for " + workbook.source);
  }
  if (!visible.empty()) {
    try {
      SaveResult(*visible.back(), workbook.result_path, outcome);
    } catch (const Failure& failure) {
      outcome.other_failures.push_back(failure.description());
    }
  }
  for (const auto& instance : visible) instance->Quit();
  return outcome;
}

BatchSummary RunBatch(const RunSettings& settings, const std::vector<ListedWorkbook>& workbooks,
                      BatchReport& report) {
  return RunBatch(settings.jobs, workbooks, report,
                  [&settings](engine::EmbeddedServer& server, const ListedWorkbook& workbook) {
                    return ProcessWorkbook(server, settings, workbook);
                  });
}

BatchSummary RunBatch(std::int32_t jobs, const std::vector<ListedWorkbook>& workbooks,
                      BatchReport& report, const WorkbookProcessor& process) {
  const std::size_t total = workbooks.size();
  std::vector<std::optional<WorkbookOutcome>> outcomes(total);
  std::mutex mutex;  // guards outcomes, the counters below and every call on `report`
  std::size_t next_to_report = 0;
  std::size_t done = 0;
  std::uint64_t cells = 0;
  BatchSummary summary;
  std::atomic<std::size_t> next_to_take{0};

  auto finish = [&](std::size_t index, WorkbookOutcome outcome) {
    std::lock_guard lock(mutex);
    ++done;
    cells += outcome.cells;
    ++summary.processed;
    if (outcome.failed()) ++summary.failed;
    if (outcome.saved) ++summary.saved;
    outcomes[index] = std::move(outcome);
    report.Progress(done, total, cells);
    while (next_to_report < total && outcomes[next_to_report]) {
      report.WorkbookDone(next_to_report, workbooks[next_to_report], *outcomes[next_to_report]);
      outcomes[next_to_report].reset();
      ++next_to_report;
    }
  };

  auto work = [&] {
    engine::EmbeddedServer server;
    for (;;) {
      const std::size_t index = next_to_take.fetch_add(1);
      if (index >= total) return;
      WorkbookOutcome outcome;
      try {
        outcome = process(server, workbooks[index]);
      } catch (const std::exception& unexpected) {
        // Out of memory or the like, outside any guarded step: this workbook fails, the
        // others go on.
        server.SetOpenFailureReporter(nullptr);
        for (const auto& instance : server.VisibleInstances()) instance->Quit();
        outcome = WorkbookOutcome{};
        const bool memory = dynamic_cast<const std::bad_alloc*>(&unexpected) != nullptr;
        outcome.other_failures.push_back(
            memory ? u"There was not enough memory to process " + workbooks[index].source +
                         u"; it was left unfinished and nothing was saved for it"
                   : ToUtf16(unexpected.what()));
      }
      finish(index, std::move(outcome));
    }
  };

  const std::size_t workers =
      std::min<std::size_t>(static_cast<std::size_t>(std::max(jobs, 1)), total);
  if (workers <= 1) {
    work();
  } else {
    std::vector<std::jthread> threads;
    threads.reserve(workers);
    for (std::size_t i = 0; i < workers; ++i) threads.emplace_back(work);
  }
  return summary;
}

}  // namespace brintova::cli
