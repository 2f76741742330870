// Opens each workbook given on the command line in a new embedded instance and reads the
// displayed text of every cell of every worksheet's used range, as the extraction walk does.
// Prints the time per file; with --dump also writes "Sheet!A1<TAB>text" lines to stdout, so the
// texts can be compared with another producer's.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/model/cell.h"
#include "engine/server/embedded_server.h"
#include "platform/failure.h"
#include "platform/text.h"

int main(int argc, char** argv) {
  bool dump = false;
  bool every = false;  // visit every position of the used range instead of skipping empties
  brintova::engine::EmbeddedServer server;
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--dump") == 0) {
      dump = true;
      continue;
    }
    if (std::strcmp(argv[i], "--every") == 0) {
      every = true;
      continue;
    }
    try {
      const auto start = std::chrono::steady_clock::now();
      auto app = server.CreateObject(u"Excel.Application");
      auto book = app->Workbooks().Open(brintova::TextFromNativePath(argv[i]));
      const auto opened = std::chrono::steady_clock::now();
      std::size_t cells = 0, non_empty = 0, chars = 0;
      for (const auto& sheet : book->Worksheets()) {
        const brintova::CellPosition end = sheet->UsedRangeEnd();
        const std::string name = brintova::ToUtf8(sheet->Name());
        if (every) {
          for (std::int32_t r = 1; r <= end.row; ++r) {
            for (std::int32_t c = 1; c <= end.column; ++c) {
              const std::u16string text = sheet->CellText({r, c});
              ++cells;
              if (!text.empty()) ++non_empty;
              chars += text.size();
            }
          }
          continue;
        }
        cells += static_cast<std::size_t>(end.row) * static_cast<std::size_t>(end.column);
        std::optional<brintova::CellPosition> at = brintova::CellPosition{1, 1};
        while ((at = sheet->NextCellWithContent(*at, end))) {
          const std::u16string text = sheet->CellText(*at);
          if (!text.empty()) ++non_empty;
          chars += text.size();
          if (dump) {
            std::printf("%s!%s\t%s\n", name.c_str(),
                        brintova::engine::model::CellReference(at->row, at->column).c_str(),
                        brintova::ToUtf8(text).c_str());
          }
          if (at->column < end.column) {
            at->column += 1;
          } else {
            at = brintova::CellPosition{at->row + 1, 1};
          }
        }
      }
      const auto done = std::chrono::steady_clock::now();
      app->Quit();
      using ms = std::chrono::duration<double, std::milli>;
      std::fprintf(
          stderr, "%s: open %.0f ms, read %.0f ms, %zu positions, %zu non-empty texts, %zu chars\n",
          argv[i], ms(opened - start).count(), ms(done - opened).count(), cells, non_empty, chars);
    } catch (const brintova::Failure& failure) {
      std::fprintf(stderr, "%s: %s\n", argv[i], failure.what());
      status = 1;
    }
  }
  return status;
}
