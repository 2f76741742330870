// The whole job on one workbook, as the peers in the benchmark kit (bench/kit) do it: open,
// insert a sheet first, walk every position from A1 to the end of each worksheet's used range,
// write the digits of each non-empty text as a string at the same row and column of the new
// sheet, and save a copy. Prints the time of each step.
//   engine_roundtrip_bench IN.xlsx OUT.xlsx
#include <chrono>
#include <cstdio>
#include <string>

#include "engine/package/save_workbook.h"
#include "engine/server/embedded_server.h"
#include "platform/failure.h"
#include "platform/text.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: engine_roundtrip_bench IN.xlsx OUT.xlsx\n");
    return 2;
  }
  using clock = std::chrono::steady_clock;
  using ms = std::chrono::duration<double, std::milli>;
  try {
    brintova::engine::EmbeddedServer server;
    const auto start = clock::now();
    auto app = server.CreateObject(u"Excel.Application");
    auto book = app->Workbooks().Open(brintova::TextFromNativePath(argv[1]));
    const auto opened = clock::now();
    const auto sources = book->Worksheets();
    auto results = book->Sheets().Add(book->Sheets().Item(1));
    std::size_t positions = 0, written = 0;
    std::u16string digits;
    for (const auto& sheet : sources) {
      const brintova::CellPosition end = sheet->UsedRangeEnd();
      for (std::int32_t r = 1; r <= end.row; ++r) {
        for (std::int32_t c = 1; c <= end.column; ++c) {
          ++positions;
          const std::u16string text = sheet->CellText({r, c});
          if (text.empty()) continue;
          digits.clear();
          for (char16_t ch : text) {
            if (ch >= u'0' && ch <= u'9') digits.push_back(ch);
          }
          results->SetCellValue({r, c}, digits);
          ++written;
        }
      }
    }
    const auto walked = clock::now();
    auto* embedded = dynamic_cast<brintova::engine::EmbeddedWorkbook*>(book.get());
    if (embedded == nullptr) throw brintova::Failure("not an embedded workbook");
    brintova::engine::package::SaveWorkbookAs(embedded->model(),
                                              brintova::TextFromNativePath(argv[2]));
    const auto saved = clock::now();
    app->Quit();
    std::fprintf(stderr,
                 "%s: open %.0f ms, walk and write %.0f ms, save %.0f ms, total %.0f ms; "
                 "%zu positions, %zu results\n",
                 argv[1], ms(opened - start).count(), ms(walked - opened).count(),
                 ms(saved - walked).count(), ms(saved - start).count(), positions, written);
  } catch (const brintova::Failure& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return 1;
  }
  return 0;
}
