// The extraction run over many workbooks without a window: each listed workbook goes through
// the window's own "Start Extracting" handler on a headless form, in its own instance of the
// embedded server, and the instance the run leaves visible is saved to the workbook's result
// path. Workers run side by side, each with its own server.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/server/embedded_server.h"

namespace brintova::cli {

struct RunSettings {
  std::int32_t operation = 0;               // Combo1's index, 0 to 10
  std::optional<std::u16string> parameter;  // the answer to every input box; none: Cancel
  bool new_workbook = false;                // Option2 instead of Option1
  std::int32_t jobs = 1;                    // workers, each with its own server
};

struct ListedWorkbook {
  std::u16string source;
  std::u16string result_path;
};

struct WorkbookOutcome {
  // The texts of the "Application Error" boxes the run showed, in order.
  std::vector<std::u16string> application_errors;
  // Failures outside the run: saving the result, or no result to save.
  std::vector<std::u16string> other_failures;
  bool saved = false;
  std::uint64_t cells = 0;  // cells held by the saved result
  // What the user should know about a result that was saved all the same (formula cells that
  // were read as empty); empty when there is nothing.
  std::u16string notice;

  bool failed() const { return !saved || !application_errors.empty() || !other_failures.empty(); }
};

// Receives the outcomes. Calls are serialised; WorkbookDone comes in list order whatever order
// the workers finish in, Progress after each workbook as it finishes.
class BatchReport {
 public:
  virtual ~BatchReport() = default;
  virtual void WorkbookDone(std::size_t index, const ListedWorkbook& workbook,
                            const WorkbookOutcome& outcome) = 0;
  virtual void Progress(std::size_t done, std::size_t total, std::uint64_t cells) = 0;
};

struct BatchSummary {
  std::size_t processed = 0;
  std::size_t failed = 0;
  std::size_t saved = 0;
};

// Runs one workbook through PushButton7_Click on `server`, saves what the run made visible to
// `workbook.result_path` and quits every visible instance, so the server is ready for the next.
WorkbookOutcome ProcessWorkbook(engine::EmbeddedServer& server, const RunSettings& settings,
                                const ListedWorkbook& workbook);

// Every workbook, with min(settings.jobs, workbooks.size()) workers.
BatchSummary RunBatch(const RunSettings& settings, const std::vector<ListedWorkbook>& workbooks,
                      BatchReport& report);

// What a worker does with one workbook on its own server. It must leave no instance open.
using WorkbookProcessor =
    std::function<WorkbookOutcome(engine::EmbeddedServer& server, const ListedWorkbook& workbook)>;

// Every workbook through `process`, with min(jobs, workbooks.size()) workers.
BatchSummary RunBatch(std::int32_t jobs, const std::vector<ListedWorkbook>& workbooks,
                      BatchReport& report, const WorkbookProcessor& process);

}  // namespace brintova::cli
