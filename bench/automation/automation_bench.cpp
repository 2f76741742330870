// Automation throughput against the stand-in spreadsheet application under wine: calls per
// second through the late-bound layer to another process, and one operation over a
// 100,000-cell sheet that is 1% full, with the block reads and with a visit of every position.
// Run by bench/automation/run.sh, which registers the stand-in in a prefix of its own.
#include <chrono>
#include <cstdio>
#include <string>

#include "extract/excel_extract.h"
#include "fakes/fake_window.h"
#include "platform/com/com_objects.h"
#include "platform/com/com_server.h"
#include "platform/com/dispatch.h"
#include "platform/com/message_filter.h"
#include "platform/text.h"

namespace brintova {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

std::int64_t CallsLogged(Application& application) {
  const std::u16string log =
      com::Get(dynamic_cast<com::ComApplication&>(application).dispatch(), u"StandInCalls")
          .ToText();
  std::int64_t lines = 0;
  for (const char16_t c : log) lines += c == u'\n' ? 1 : 0;
  return lines;
}

void WalkSparseSheet(const std::u16string& prog_id, const std::u16string& folder,
                     std::u16string_view name, bool block_reads) {
  const std::u16string path = folder + u"\\" + std::u16string(name) + u".xlsx";
  com::ComSpreadsheetServer server(prog_id, block_reads);
  auto app = server.CreateObject(kSpreadsheetProgId);
  auto book = app->Workbooks().Open(path);
  CallsLogged(*app);
  testing::FakeForm form;
  form.option1.value = true;
  form.option2.value = false;
  const auto start = Clock::now();
  ExcelExtract::ExtractAlphanumeric(form, book.get(), nullptr);
  const double seconds = Seconds(start);
  const std::int64_t calls = CallsLogged(*app) - 1;
  std::printf("%-12s %-15s %9.2f s %9lld calls %6.1f calls/s\n", ToUtf8(name).c_str(),
              block_reads ? "block reads" : "every position", seconds,
              static_cast<long long>(calls), static_cast<double>(calls) / seconds);
  app->Quit();
}

int Run(const std::u16string& prog_id, const std::u16string& folder) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // each figure as soon as it is measured
  com::ComApartment apartment;
  {
    com::ComSpreadsheetServer server(prog_id);
    auto start = Clock::now();
    auto app = server.CreateObject(kSpreadsheetProgId);
    std::printf("%-34s %9.3f s\n", "start an instance", Seconds(start));
    IDispatch* const dispatch = dynamic_cast<com::ComApplication&>(*app).dispatch();
    constexpr int kCalls = 2000;
    start = Clock::now();
    for (int i = 0; i < kCalls; ++i) com::Get(dispatch, u"Visible");
    const double property = Seconds(start);
    std::printf("%-34s %9.0f calls/s (%.3f ms each)\n", "property read (Visible)",
                kCalls / property, 1000 * property / kCalls);
    auto sheet = app->Workbooks().Add()->Sheets().Item(1);
    constexpr int kTexts = 500;
    start = Clock::now();
    for (int i = 1; i <= kTexts; ++i) sheet->CellText({i, 1});
    const double texts = Seconds(start);
    std::printf("%-34s %9.0f cells/s (%.3f ms each)\n", "Cells(r, c).Text", kTexts / texts,
                1000 * texts / kTexts);
    app->Quit();
  }
  // Every position of the 100,000-cell sheet would take hours under wine: the 1,000-cell sheet
  // of the same density gives the cost per position.
  WalkSparseSheet(prog_id, folder, u"sparse_1k", true);
  WalkSparseSheet(prog_id, folder, u"sparse_1k", false);
  WalkSparseSheet(prog_id, folder, u"sparse_100k", true);
  return 0;
}

}  // namespace
}  // namespace brintova

// automation_bench.exe <stand-in ProgID> <folder holding (empty) sparse_1k.xlsx, sparse_100k.xlsx>
int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: automation_bench <ProgID> <folder>\n");
    return 2;
  }
  try {
    return brintova::Run(brintova::com::FromWide(argv[1], wcslen(argv[1])),
                         brintova::com::FromWide(argv[2], wcslen(argv[2])));
  } catch (const brintova::Failure& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return 1;
  }
}
