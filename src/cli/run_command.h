// The two commands of brintova-cli behind their argument parsing: "run" over the listed
// workbooks and folders, and "text" of one workbook. Standard output and error are passed in, so
// that the front end and the tests see the same words.
#pragma once

#include <exception>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "cli/batch_run.h"

namespace brintova::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// A command line that cannot be run as given; nothing was read or written.
class UsageError : public std::exception {
 public:
  explicit UsageError(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

struct RunArguments {
  std::string operation;  // an index or a name, as ParseOperation takes it
  std::string parameter;
  bool has_parameter = false;  // --param given, even as the empty text
  std::string mode = "sheet";  // "sheet" or "workbook"
  std::string output;
  bool overwrite = false;
  int jobs = 1;
  std::vector<std::string> inputs;  // files and folders, native paths
};

// Lists the inputs (folders walked as a dropped folder is), names the results, runs every
// workbook and saves its result. Failures, the progress line (only when `progress`) and the
// closing summary go to `err`. Returns kExitSuccess when every workbook was processed and saved,
// kExitFailure when a failure was reported (an existing result without `overwrite` is one, and
// then nothing runs). Throws UsageError for an unknown operation or mode, a missing parameter,
// no workbooks, or an output folder that cannot be created or written; before any workbook is
// read.
int RunCommand(const RunArguments& arguments, std::ostream& err, bool progress);

// RunCommand once the operation is known, with `process` doing each workbook's work: checks the
// mode, jobs and inputs, lists the workbooks, prepares the output folder, names the results,
// refuses existing ones without --overwrite, runs every workbook and sums up on `err`. Returns
// and throws as RunCommand does.
int SaveEachWorkbook(const RunArguments& arguments, std::ostream& err, bool progress,
                     const WorkbookProcessor& process);

// Writes the cell listing of the workbook at `file` to `out`. Returns kExitFailure, with the
// reason on `err`, when it cannot be opened or read.
int TextCommand(const std::string& file, std::ostream& out, std::ostream& err);

// The whole command line: parses argv and runs the chosen command. --help and --version print
// to `out`; usage errors print to `err` and give kExitUsage. The preview is a table when
// `out_is_terminal`, else tab-separated.
int CommandLineMain(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                    bool err_is_terminal, bool out_is_terminal = false);

}  // namespace brintova::cli
