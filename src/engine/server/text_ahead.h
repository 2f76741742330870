// The displayed texts of a sheet's number cells, rendered on a thread of their own a little ahead
// of a walk that reads the sheet's cells in order, so that formatting numbers runs beside
// whatever the walk does with each text (extract, store the result) on a second core.
//
// The sheet's cells must not change while a TextAhead reads them: whoever writes to the sheet
// destroys it first. The styles and the date system are copied when it starts, so the workbook
// may take new styles meanwhile (a walk gives every cell it writes the "@" format).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/model/workbook.h"
#include "engine/package/slot_relay.h"

namespace brintova::engine {

class TextAhead {
 public:
  // Starts rendering from row `first_row` on. Throws std::system_error when no thread can be
  // started (the caller renders every text itself).
  TextAhead(const model::Workbook& book, const model::Sheet& sheet, std::int32_t first_row);
  TextAhead(const TextAhead&) = delete;
  TextAhead& operator=(const TextAhead&) = delete;
  ~TextAhead();  // stops the thread and waits for it

  // The displayed text of the number cell at (row, column) into `out`, when it was rendered
  // ahead: true. False for a cell behind the walk so far, one that is not a number, and once the
  // thread has stopped; the caller then renders the text itself. Waits for the thread to finish
  // the chunk after the one read last; a read past that chunk stops the thread for good.
  bool Take(std::int32_t row, std::int32_t column, std::u16string& out);

  // Cells rendered in one chunk (about; a chunk holds whole rows), and chunks in flight: the
  // thread stays at most that far ahead.
  static constexpr std::size_t kChunkCells = 8192;
  static constexpr std::size_t kChunks = 4;

 private:
  struct Text {
    std::int32_t row;
    std::int32_t column;
    std::uint32_t begin;  // in Chunk::characters
    std::uint32_t size;
  };
  // A line of its own for each chunk: the thread fills one while the walk reads another, and
  // sharing a cache line made each wait on the other.
  struct alignas(64) Chunk {
    std::int32_t last_row = 0;
    std::vector<Text> texts;  // in row and column order
    std::u16string characters;
  };

  void Render(model::Sheet::RowIterator row, model::Sheet::RowIterator end);

  const model::StyleTable styles_;  // a copy: compiling a format caches it in the table
  const numfmt::DateSystem date_system_;
  std::vector<Chunk> chunks_;
  package::SlotRelay<Chunk> relay_;
  Chunk* current_ = nullptr;  // the chunk the walk is in
  std::size_t next_ = 0;      // its first text the walk has not passed
  bool stopped_ = false;
  std::thread thread_;
};

}  // namespace brintova::engine
