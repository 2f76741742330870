// Records on standard output.
#include "cli/record_stream.h"

#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include "cli/cell_listing.h"
#include "cli/headless_ports.h"
#include "engine/server/embedded_server.h"
#include "extract/automation.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::cli {

namespace {

constexpr std::string_view kPrefix = "brintova-cli: ";

void AppendCsvField(std::string& line, std::u16string_view text) {
  const std::string utf8 = ToUtf8(text);
  if (utf8.find_first_of(",\"\r\n") == std::string::npos) {
    line += utf8;
    return;
  }
  line.push_back('"');
  for (const char c : utf8) {
    if (c == '"') line.push_back('"');
    line.push_back(c);
  }
  line.push_back('"');
}

}  // namespace

RecordWriter::RecordWriter(std::ostream& out, RecordFormat format) : out_(out), format_(format) {
  if (format_ == RecordFormat::kCsv) out_ << "file,sheet,cell,text,result\r\n";
}

void RecordWriter::Write(std::u16string_view file, std::u16string_view sheet, CellPosition cell,
                         std::u16string_view text, std::u16string_view result) {
  if (format_ == RecordFormat::kJsonLines) {
    nlohmann::ordered_json record;
    record["file"] = ToUtf8(file);
    record["sheet"] = ToUtf8(sheet);
    record["cell"] = CellAddress(cell);
    record["text"] = ToUtf8(text);
    record["result"] = ToUtf8(result);
    out_ << record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    return;
  }
  line_.clear();
  AppendCsvField(line_, file);
  line_.push_back(',');
  AppendCsvField(line_, sheet);
  line_.push_back(',');
  line_ += CellAddress(cell);
  line_.push_back(',');
  AppendCsvField(line_, text);
  line_.push_back(',');
  AppendCsvField(line_, result);
  line_ += "\r\n";
  out_ << line_;
}

int StreamRecords(const std::vector<std::u16string>& sources, const CheckedRecipe& checked,
                  std::ostream& out, std::ostream& err, bool progress, int listing_failures) {
  RecordWriter writer(out, checked.format);
  const ExcelExtract::CellRule rule = ExcelExtract::MakeCellRule(checked.recipe);
  engine::EmbeddedServer server;
  std::size_t failed = 0;
  std::uint64_t records = 0;
  bool progress_shown = false;
  const auto clear_progress = [&] {
    if (progress_shown) err << "\r\x1b[K";
    progress_shown = false;
  };
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const std::u16string& source = sources[i];
    bool workbook_failed = false;
    std::shared_ptr<Application> instance;
    try {
      instance = ExcelExtract::OpenWorkbookInNewExcel(server, source);
      WorkbookCollection& books = instance->Workbooks();
      const std::shared_ptr<Workbook> book = books.Item(books.Count());
      if (const auto embedded = std::dynamic_pointer_cast<engine::EmbeddedWorkbook>(book)) {
        const std::u16string notice = engine::UncalculatedFormulasNotice(embedded->model());
        if (!notice.empty()) {
          clear_progress();
          err << kPrefix << TerminalText(source) << ": " << TerminalText(notice) << '\n';
        }
      }
      ExcelExtract::VisitResults(
          *book, checked.mode, rule, [&](const ExcelExtract::CellOutcome& cell) {
            if (cell.failure != nullptr) {
              workbook_failed = true;
              clear_progress();
              err << kPrefix << TerminalText(source) << ", sheet " << TerminalText(cell.sheet)
                  << ", cell " << CellAddress(cell.cell) << ": "
                  << TerminalText(cell.failure->description()) << '\n';
            } else if (cell.result) {
              writer.Write(source, cell.sheet, cell.cell, cell.text, cell.result->text);
              ++records;
            }
            return true;
          });
    } catch (const Failure& failure) {
      workbook_failed = true;
      clear_progress();
      err << kPrefix << TerminalText(source) << ": " << TerminalText(failure.description()) << '\n';
    }
    if (instance) {
      try {
        instance->Quit();
      } catch (const Failure&) {
        // Quit only fails on an instance that has quit already.
      }
    }
    if (workbook_failed) ++failed;
    out.flush();  // a pipeline sees each workbook's records as soon as they are done
    if (progress) {
      err << fmt::format("\r\x1b[K{}{}/{} workbooks, {} records", kPrefix, i + 1, sources.size(),
                         records)
          << std::flush;
      progress_shown = true;
    }
  }
  clear_progress();
  if (!out) {
    err << kPrefix << "cannot write to standard output\n";
    return kExitFailure;
  }
  err << fmt::format("{}{} workbook{} read, {} failed, {} record{} written\n", kPrefix,
                     sources.size(), sources.size() == 1 ? "" : "s", failed, records,
                     records == 1 ? "" : "s");
  return failed == 0 && listing_failures == 0 ? kExitSuccess : kExitFailure;
}

}  // namespace brintova::cli
