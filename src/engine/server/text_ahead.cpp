#include "engine/server/text_ahead.h"

namespace brintova::engine {

TextAhead::TextAhead(const model::Workbook& book, const model::Sheet& sheet, std::int32_t first_row)
    : styles_(book.styles()), date_system_(book.date_system()), chunks_(kChunks), relay_(chunks_) {
  auto row = sheet.rows().begin();
  const auto end = sheet.rows().end();
  while (row != end && (*row).row < first_row) ++row;
  thread_ = std::thread([this, row, end] { Render(row, end); });
}

TextAhead::~TextAhead() {
  relay_.Cancel();
  thread_.join();
}

void TextAhead::Render(model::Sheet::RowIterator row, model::Sheet::RowIterator end) {
  try {
    std::u16string text;
    while (row != end) {
      Chunk* chunk = relay_.TakeFree();
      if (chunk == nullptr) return;
      chunk->texts.clear();
      chunk->characters.clear();
      std::size_t cells = 0;
      while (row != end && cells < kChunkCells) {
        const auto [number, cells_of_row] = *row;
        for (const model::Cell& cell : cells_of_row) {
          if (cell.type != model::CellType::kNumber) continue;
          styles_.Format(cell.style).RenderNumber(cell.number, date_system_, text);
          chunk->texts.push_back({number, cell.column,
                                  static_cast<std::uint32_t>(chunk->characters.size()),
                                  static_cast<std::uint32_t>(text.size())});
          chunk->characters += text;
        }
        cells += cells_of_row.size();
        chunk->last_row = number;
        ++row;
      }
      relay_.HandOver(chunk);
    }
    relay_.Finish();
  } catch (...) {
    // Out of memory: the walk renders the rest itself, and meets the shortage there if it lasts.
    relay_.Cancel();
  }
}

bool TextAhead::Take(std::int32_t row, std::int32_t column, std::u16string& out) {
  if (stopped_) return false;
  if (current_ == nullptr || row > current_->last_row) {
    if (current_ != nullptr) relay_.GiveBack(current_);
    current_ = relay_.TakeFull();
    next_ = 0;
    // A read past the next chunk is no walk in order (a jump to the end of the sheet, say):
    // waiting for every chunk up to it would cost more than rendering the one text here.
    if (current_ == nullptr || row > current_->last_row) {
      stopped_ = true;
      relay_.Cancel();
      return false;
    }
  }
  const std::vector<Text>& texts = current_->texts;
  while (next_ < texts.size() &&
         (texts[next_].row < row || (texts[next_].row == row && texts[next_].column < column))) {
    ++next_;
  }
  if (next_ == texts.size() || texts[next_].row != row || texts[next_].column != column) {
    return false;
  }
  out.assign(current_->characters, texts[next_].begin, texts[next_].size);
  ++next_;
  return true;
}

}  // namespace brintova::engine
