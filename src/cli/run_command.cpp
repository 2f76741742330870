// brintova-cli's commands: the run over many workbooks and the cell listing of one.
#include "cli/run_command.h"

#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <set>
#include <thread>

#include "app/error_report.h"
#include "cli/batch_run.h"
#include "cli/cell_listing.h"
#include "cli/command_line.h"
#include "cli/headless_ports.h"
#include "cli/preview_command.h"
#include "cli/recipe_options.h"
#include "cli/recipe_run.h"
#include "cli/result_names.h"
#include "cli/workbook_list.h"
#include "engine/server/embedded_server.h"
#include "filelist/add_folder.h"
#include "filelist/drop_and_samples.h"
#include "platform/failure.h"
#include "platform/posix/posix_file_queries.h"
#include "platform/text.h"

namespace brintova::cli {
namespace {

constexpr std::string_view kPrefix = "brintova-cli: ";

// The run's reports as `err` shows them: failures in list order, under a line naming the
// workbook, and the progress line, redrawn in place, when `progress`.
class StreamReport : public BatchReport {
 public:
  StreamReport(std::ostream& err, bool progress)
      : err_(err), progress_(progress), start_(std::chrono::steady_clock::now()) {}

  void WorkbookDone(std::size_t, const ListedWorkbook& workbook,
                    const WorkbookOutcome& outcome) override {
    if (outcome.application_errors.empty() && outcome.other_failures.empty() &&
        outcome.notice.empty()) {
      return;
    }
    ClearProgress();
    for (const std::u16string& message : outcome.application_errors) {
      err_ << kPrefix << "Application Error, " << TerminalText(workbook.source) << ":\n"
           << TerminalText(message) << "\n\n";
    }
    for (const std::u16string& message : outcome.other_failures) {
      err_ << kPrefix << TerminalText(message) << '\n';
    }
    if (!outcome.notice.empty()) {
      err_ << kPrefix << ToUtf8(workbook.source) << ": " << TerminalText(outcome.notice) << '\n';
    }
  }

  void Progress(std::size_t done, std::size_t total, std::uint64_t cells) override {
    if (!progress_) return;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(cells) / seconds : 0.0;
    err_ << fmt::format("\r\x1b[K{}{}/{} workbooks, {:.0f} cells/s", kPrefix, done, total, rate)
         << std::flush;
    shown_ = true;
  }

  void ClearProgress() {
    if (shown_) err_ << "\r\x1b[K";
    shown_ = false;
  }

 private:
  std::ostream& err_;
  bool progress_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_;
};

std::string DeviceAndInode(const std::string& native_path) {
  struct stat st {};
  if (stat(native_path.c_str(), &st) != 0) return {};
  return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

// Creates `output` when missing. Throws UsageError when it cannot be created or written.
void PrepareOutputFolder(const std::string& output) {
  if (output.empty()) throw UsageError("the output folder (--output) is empty");
  std::error_code error;
  if (std::filesystem::exists(output, error) && !std::filesystem::is_directory(output, error)) {
    throw UsageError("cannot use '" + output + "' as the output folder: it is not a folder");
  }
  std::filesystem::create_directories(output, error);
  if (error) {
    throw UsageError("cannot create the output folder '" + output + "': " + error.message());
  }
  if (access(output.c_str(), W_OK | X_OK) != 0) {
    throw UsageError("cannot write into the output folder '" + output +
                     "': " + std::generic_category().message(errno));
  }
}

}  // namespace

int RunCommand(const RunArguments& arguments, std::ostream& err, bool progress) {
  // The command line is checked before any workbook is read or anything written.
  const std::optional<std::int32_t> operation = ParseOperation(arguments.operation);
  if (!operation) {
    throw UsageError("unknown operation '" + arguments.operation +
                     "': give 0 to 10 or a name such as alphabet, first-chars, between or "
                     "pattern");
  }
  if (OperationTakesParameter(*operation) && !arguments.has_parameter) {
    throw UsageError("operation " + std::string(kOperationNames[*operation]) +
                     " asks for a parameter: give it with --param");
  }
  if (const auto refusal = ParameterRefusal(*operation, arguments.parameter)) {
    throw UsageError(*refusal);
  }

  RunSettings settings;
  settings.operation = *operation;
  if (arguments.has_parameter) settings.parameter = ToUtf16(arguments.parameter);
  settings.new_workbook = arguments.mode == "workbook";
  settings.jobs = arguments.jobs;
  return SaveEachWorkbook(arguments, err, progress,
                          [&settings](engine::EmbeddedServer& server, const ListedWorkbook& book) {
                            return ProcessWorkbook(server, settings, book);
                          });
}

int SaveEachWorkbook(const RunArguments& arguments, std::ostream& err, bool progress,
                     const WorkbookProcessor& process) {
  if (arguments.mode != "sheet" && arguments.mode != "workbook") {
    throw UsageError("unknown mode '" + arguments.mode + "': give sheet or workbook");
  }
  if (arguments.jobs < 1) throw UsageError("--jobs must be at least 1");
  if (arguments.inputs.empty()) throw UsageError("no files or folders given");

  int failures = 0;
  const std::vector<std::u16string> sources = ListWorkbooks(arguments.inputs, err, failures);
  if (sources.empty() && failures == 0) {
    throw UsageError("the folders given hold no files");
  }
  PrepareOutputFolder(arguments.output);
  const bool new_workbook = arguments.mode == "workbook";

  // A result never takes the name of a source file, so no source is ever written.
  std::set<std::string> source_files;
  for (const std::u16string& source : sources) {
    const std::string identity = DeviceAndInode(NativePathFromText(source));
    if (!identity.empty()) source_files.insert(identity);
  }
  const auto is_source = [&](std::u16string_view path) {
    const std::string identity = DeviceAndInode(NativePathFromText(path));
    return !identity.empty() && source_files.contains(identity);
  };
  const std::vector<std::u16string> results =
      AssignResultPaths(sources, TextFromNativePath(arguments.output), new_workbook, is_source);

  if (!arguments.overwrite) {
    bool exists = false;
    for (const std::u16string& result : results) {
      struct stat st {};
      if (lstat(NativePathFromText(result).c_str(), &st) == 0) {
        err << kPrefix << TerminalText(result) << " exists; give --overwrite to replace it\n";
        exists = true;
      }
    }
    if (exists) {
      err << kPrefix << "nothing was run\n";
      return kExitFailure;
    }
  }

  std::vector<ListedWorkbook> workbooks;
  workbooks.reserve(sources.size());
  for (std::size_t i = 0; i < sources.size(); ++i) workbooks.push_back({sources[i], results[i]});

  // The legacy, binary and OpenDocument formats are read but never written: say where such a
  // source's result goes.
  if (!new_workbook) {
    for (const ListedWorkbook& workbook : workbooks) {
      const std::u16string note = KindChangeNote(workbook.source, workbook.result_path);
      if (!note.empty()) err << kPrefix << TerminalText(note) << "\n";
    }
  }

  StreamReport report(err, progress);
  const BatchSummary summary = RunBatch(arguments.jobs, workbooks, report, process);
  report.ClearProgress();
  err << fmt::format("{}{} workbook{} processed, {} failed, {} result{} saved\n", kPrefix,
                     summary.processed, summary.processed == 1 ? "" : "s", summary.failed,
                     summary.saved, summary.saved == 1 ? "" : "s");
  const bool complete = failures == 0 && summary.failed == 0 && summary.saved == summary.processed;
  return complete ? kExitSuccess : kExitFailure;
}

int TextCommand(const std::string& file, std::ostream& out, std::ostream& err) {
  try {
    engine::EmbeddedServer server;
    const auto application = server.CreateObject(kSpreadsheetProgId);
    const auto workbook = application->Workbooks().Open(TextFromNativePath(file));
    ListDisplayedTexts(*workbook, out);
    out.flush();
    application->Quit();
  } catch (const Failure& failure) {
    out.flush();
    err << kPrefix << TerminalText(failure.description()) << '\n';
    return kExitFailure;
  }
  if (!out) {
    err << kPrefix << "cannot write to standard output\n";
    return kExitFailure;
  }
  return kExitSuccess;
}

namespace {

// Every --help prints the same manual page.
class ManualFormatter : public CLI::Formatter {
 public:
  std::string make_help(const CLI::App*, std::string, CLI::AppFormatMode) const override {
    return ManualText(BRINTOVA_VERSION);
  }
};

void PrintUsageError(std::ostream& err, std::string_view message) {
  err << kPrefix << TerminalText(message) << "\nTry 'brintova-cli --help' for more information.\n";
}

}  // namespace

int CommandLineMain(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                    bool err_is_terminal, bool out_is_terminal) {
  CLI::App app("Extracts selected characters from every cell of many workbooks.", "brintova-cli");
  app.formatter(std::make_shared<ManualFormatter>());
  app.set_version_flag("--version", std::string("brintova-cli ") + BRINTOVA_VERSION);
  app.require_subcommand(1);

  RunArguments run_arguments;
  run_arguments.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  CLI::App* run = app.add_subcommand("run", "Extract from workbooks and save the results.");
  run->add_option("--operation", run_arguments.operation, "Operation index or name")->required();
  CLI::Option* parameter = run->add_option("--param", run_arguments.parameter, "Parameter");
  run->add_option("--mode", run_arguments.mode, "sheet or workbook");
  CLI::Option* output = run->add_option("--output", run_arguments.output, "Output folder");
  run->add_flag("--overwrite", run_arguments.overwrite, "Replace existing results");
  CLI::Option* jobs = run->add_option("--jobs", run_arguments.jobs, "Workbooks at once")
                          ->check(CLI::Range(1, 1024));
  run->add_option("inputs", run_arguments.inputs, "Workbooks and folders");
  RecipeArguments run_recipe;
  RecipeOptions run_recipe_options(*run, run_recipe, RecipeOptions::Command::kRun);

  RunArguments preview_arguments;
  RecipeArguments preview_recipe;
  CLI::App* preview = app.add_subcommand("preview", "Show what a run would write.");
  preview->add_option("--operation", preview_arguments.operation, "Operation")->required();
  CLI::Option* preview_parameter =
      preview->add_option("--param", preview_arguments.parameter, "Parameter");
  preview->add_option("--mode", preview_arguments.mode, "sheet or workbook");
  preview->add_option("inputs", preview_arguments.inputs, "Workbooks and folders");
  RecipeOptions preview_recipe_options(*preview, preview_recipe, RecipeOptions::Command::kPreview);

  std::string text_file;
  CLI::App* text = app.add_subcommand("text", "Print the displayed texts of a workbook.");
  text->add_option("file", text_file, "Workbook")->required();

  try {
    app.parse(argc, argv);
    if (run->parsed()) {
      run_arguments.has_parameter = parameter->count() > 0;
      run_recipe_options.NoteGiven(output, jobs);
      if (NeedsRecipe(run_arguments, run_recipe)) {
        return RecipeRunCommand(run_arguments, run_recipe, out, err, err_is_terminal);
      }
      if (output->count() == 0)
        throw UsageError("give the folder to save the results in: --output");
      return RunCommand(run_arguments, err, err_is_terminal);
    }
    if (preview->parsed()) {
      preview_arguments.has_parameter = preview_parameter->count() > 0;
      preview_recipe_options.NoteGiven(nullptr, nullptr);
      return PreviewCommand(preview_arguments, preview_recipe, out, err, out_is_terminal);
    }
    return TextCommand(text_file, out, err);
  } catch (const CLI::ParseError& parse_error) {
    if (parse_error.get_exit_code() == 0) return app.exit(parse_error, out, err);
    PrintUsageError(err, parse_error.what());
    return kExitUsage;
  } catch (const UsageError& usage_error) {
    PrintUsageError(err, usage_error.what());
    return kExitUsage;
  }
}

}  // namespace brintova::cli
