// What every reader's fuzz target does with a workbook it managed to read: render the displayed
// text of every cell, check the model's invariants, and keep the input in a memory file when a
// reader needs a path.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/model/cell.h"
#include "engine/model/workbook.h"

namespace brintova::fuzz {

// Every cell's displayed text, and the used range and cell order the model promises.
inline void VisitWorkbook(const engine::model::Workbook& book) {
  std::u16string text;
  for (std::size_t i = 0; i < book.SheetCount(); ++i) {
    const engine::model::Sheet& sheet = book.sheet(i);
    const engine::model::UsedRange used = sheet.used_range();
    for (const auto& [row, cells] : sheet.rows()) {
      if (row < 1 || row > engine::model::kMaxRows) __builtin_trap();
      if (!used.empty() && (row < used.first_row || row > used.last_row)) __builtin_trap();
      std::int32_t previous = 0;
      for (const engine::model::Cell& cell : cells) {
        if (cell.column <= previous || cell.column > engine::model::kMaxColumns) __builtin_trap();
        previous = cell.column;
        engine::model::DisplayedText(book, sheet, &cell, text);
      }
    }
  }
}

// A file in memory whose contents are replaced for each input, named by a /proc path that
// fopen() accepts; nothing touches the disk.
class MemoryFile {
 public:
  MemoryFile() : fd_(memfd_create("brintova-fuzz", 0)) {
    if (fd_ < 0) __builtin_trap();
  }
  ~MemoryFile() { close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  // Replaces the contents and answers the path to open.
  std::string Write(const std::uint8_t* data, std::size_t size) {
    if (ftruncate(fd_, 0) != 0) __builtin_trap();
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
      if (n <= 0) __builtin_trap();
      done += static_cast<std::size_t>(n);
    }
    return "/proc/self/fd/" + std::to_string(fd_);
  }

 private:
  int fd_;
};

}  // namespace brintova::fuzz
