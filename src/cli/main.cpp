// brintova-cli: the extraction run of the desktop program, unattended, on any number of
// workbooks; and a listing of a workbook's displayed texts.
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fmt/format.h>
#include <iostream>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/error_report.h"
#include "cli/batch_run.h"
#include "cli/cell_listing.h"
#include "cli/command_line.h"
#include "cli/headless_ports.h"
#include "cli/result_names.h"
#include "engine/server/embedded_server.h"
#include "filelist/add_folder.h"
#include "filelist/drop_and_samples.h"
#include "platform/failure.h"
#include "platform/posix/posix_file_queries.h"
#include "platform/text.h"

namespace brintova::cli {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

class UsageError : public std::exception {
 public:
  explicit UsageError(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// Prints every --help the same manual page.
class ManualFormatter : public CLI::Formatter {
 public:
  std::string make_help(const CLI::App*, std::string, CLI::AppFormatMode) const override {
    return ManualText(BRINTOVA_VERSION);
  }
};

struct RunArguments {
  std::string operation;
  std::string parameter;
  bool has_parameter = false;
  std::string mode = "sheet";
  std::string output;
  bool overwrite = false;
  int jobs = 1;
  std::vector<std::string> inputs;
};

void PrintFailure(std::string_view text) { std::cerr << "brintova-cli: " << text << '\n'; }

// Standard error as the run reports to it: failures in list order, the progress line while
// it is a terminal.
class StderrReport : public BatchReport {
 public:
  explicit StderrReport(bool progress)
      : progress_(progress), start_(std::chrono::steady_clock::now()) {}

  void WorkbookDone(std::size_t, const ListedWorkbook& workbook,
                    const WorkbookOutcome& outcome) override {
    if (outcome.application_errors.empty() && outcome.other_failures.empty()) return;
    ClearProgress();
    for (const std::u16string& message : outcome.application_errors) {
      std::cerr << "brintova-cli: Application Error, " << ToUtf8(workbook.source) << ":\n"
                << TerminalText(message) << "\n\n";
    }
    for (const std::u16string& message : outcome.other_failures) {
      PrintFailure(TerminalText(message));
    }
  }

  void Progress(std::size_t done, std::size_t total, std::uint64_t cells) override {
    if (!progress_) return;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(cells) / seconds : 0.0;
    std::cerr << fmt::format("\r\x1b[Kbrintova-cli: {}/{} workbooks, {:.0f} cells/s", done,
                             total, rate)
              << std::flush;
    shown_ = true;
  }

  void ClearProgress() {
    if (shown_) std::cerr << "\r\x1b[K";
    shown_ = false;
  }

 private:
  bool progress_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_;
};

std::string DeviceAndInode(const std::string& native_path) {
  struct stat st {};
  if (stat(native_path.c_str(), &st) != 0) return {};
  return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

// The workbook list: FILEs as given, FOLDERs walked as a dropped folder is. Walk failures are
// reported and counted in `failures`.
std::vector<std::u16string> ListWorkbooks(const std::vector<std::string>& inputs, int& failures) {
  HeadlessForm form;
  HeadlessDialogs dialogs(std::nullopt, [&](std::u16string_view text) {
    ++failures;
    std::cerr << "brintova-cli: Application Error:\n" << TerminalText(text) << "\n\n";
  });
  TransientSettings settings;
  PosixFileQueries files;
  HeadlessShell shell(u"");
  engine::EmbeddedServer unused_server;
  Ports ports{form, dialogs, settings, files, shell, unused_server};
  GuardedHandler guard(dialogs, kListView1OLEDragDropTag);
  for (const std::string& input : inputs) {
    std::u16string path = TextFromNativePath(input);
    bool folder = false;
    try {
      folder = (files.GetAttributes(path) & file_attribute::kDirectory) != 0;
    } catch (const Failure&) {
      // Missing or unreadable: listed as a file, and the run reports it.
    }
    if (!folder) {
      form.ListView1().Add(path);
      continue;
    }
    while (path.size() > 1 && path.back() == u'/') path.pop_back();
    AddFolder::AddFolderTree(ports, guard, path, u"*.*");
  }
  return form.ListView1().rows();
}

int Run(const RunArguments& arguments) {
  // Everything is checked before any file is read or written.
  const std::optional<std::int32_t> operation = ParseOperation(arguments.operation);
  if (!operation) {
    throw UsageError("unknown operation '" + arguments.operation +
                     "': give 0 to 10 or a name such as alphabet or first-chars");
  }
  if (OperationTakesParameter(*operation) && !arguments.has_parameter) {
    throw UsageError("operation " + std::string(kOperationNames[*operation]) +
                     " asks for a parameter: give it with --param");
  }
  if (arguments.inputs.empty()) throw UsageError("no files or folders given");

  const std::filesystem::path output(arguments.output);
  std::error_code error;
  std::filesystem::create_directories(output, error);
  if (error || !std::filesystem::is_directory(output) ||
      access(arguments.output.c_str(), W_OK | X_OK) != 0) {
    throw UsageError("cannot use '" + arguments.output + "' as the output folder" +
                     (error ? ": " + error.message() : ""));
  }

  int failures = 0;
  const std::vector<std::u16string> sources = ListWorkbooks(arguments.inputs, failures);
  const bool new_workbook = arguments.mode == "workbook";

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
        PrintFailure(ToUtf8(result) + " exists; give --overwrite to replace it");
        exists = true;
      }
    }
    if (exists) {
      PrintFailure("nothing was run");
      return kExitFailure;
    }
  }

  std::vector<ListedWorkbook> workbooks;
  workbooks.reserve(sources.size());
  for (std::size_t i = 0; i < sources.size(); ++i) workbooks.push_back({sources[i], results[i]});

  RunSettings settings;
  settings.operation = *operation;
  if (arguments.has_parameter) settings.parameter = ToUtf16(arguments.parameter);
  settings.new_workbook = new_workbook;
  settings.jobs = arguments.jobs;

  StderrReport report(isatty(STDERR_FILENO) != 0);
  const BatchSummary summary = RunBatch(settings, workbooks, report);
  report.ClearProgress();
  std::cerr << fmt::format(
      "brintova-cli: {} workbook{} processed, {} failed, {} result{} saved\n",
      summary.processed, summary.processed == 1 ? "" : "s", summary.failed, summary.saved,
      summary.saved == 1 ? "" : "s");
  const bool complete =
      failures == 0 && summary.failed == 0 && summary.saved == summary.processed;
  return complete ? 0 : kExitFailure;
}

int Text(const std::string& file) {
  try {
    engine::EmbeddedServer server;
    const auto application = server.CreateObject(kSpreadsheetProgId);
    const auto workbook = application->Workbooks().Open(TextFromNativePath(file));
    ListDisplayedTexts(*workbook, std::cout);
    std::cout.flush();
    application->Quit();
  } catch (const Failure& failure) {
    std::cout.flush();
    PrintFailure(TerminalText(failure.description()));
    return kExitFailure;
  }
  if (!std::cout) {
    PrintFailure("cannot write to standard output");
    return kExitFailure;
  }
  return 0;
}

int Main(int argc, char** argv) {
  CLI::App app("Extracts selected characters from every cell of many workbooks.",
               "brintova-cli");
  app.formatter(std::make_shared<ManualFormatter>());
  app.set_version_flag("--version", std::string("brintova-cli ") + BRINTOVA_VERSION);
  app.require_subcommand(1);

  RunArguments run_arguments;
  run_arguments.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  CLI::App* run = app.add_subcommand("run", "Extract from workbooks and save the results.");
  run->add_option("--operation", run_arguments.operation, "Operation index or name")
      ->required();
  CLI::Option* parameter = run->add_option("--param", run_arguments.parameter, "Parameter");
  run->add_option("--mode", run_arguments.mode, "sheet or workbook")
      ->check(CLI::IsMember({"sheet", "workbook"}));
  run->add_option("--output", run_arguments.output, "Output folder")->required();
  run->add_flag("--overwrite", run_arguments.overwrite, "Replace existing results");
  run->add_option("--jobs", run_arguments.jobs, "Workbooks at once")
      ->check(CLI::Range(1, 1024));
  run->add_option("inputs", run_arguments.inputs, "Workbooks and folders");

  std::string text_file;
  CLI::App* text = app.add_subcommand("text", "Print the displayed texts of a workbook.");
  text->add_option("file", text_file, "Workbook")->required();

  try {
    app.parse(argc, argv);
    if (run->parsed()) {
      run_arguments.has_parameter = parameter->count() > 0;
      return Run(run_arguments);
    }
    return Text(text_file);
  } catch (const CLI::ParseError& parse_error) {
    if (parse_error.get_exit_code() == 0) return app.exit(parse_error);
    std::cerr << "brintova-cli: " << parse_error.what()
              << "\nTry 'brintova-cli --help' for more information.\n";
    return kExitUsage;
  } catch (const UsageError& usage_error) {
    std::cerr << "brintova-cli: " << usage_error.what()
              << "\nTry 'brintova-cli --help' for more information.\n";
    return kExitUsage;
  }
}

}  // namespace
}  // namespace brintova::cli

int main(int argc, char** argv) { return brintova::cli::Main(argc, argv); }
