// zlib behind BlockDeflater: one deflate stream per block on its own thread, joined in order.
#include "engine/package/block_deflater.h"

#include <zlib.h>

#include <memory>
#include <new>

namespace brintova::engine::package {

namespace {

constexpr std::size_t kWindow = 32 * 1024;

// Deflates one block; `last` ends the stream, otherwise a sync flush leaves it open at a byte
// boundary for the next block to follow. Throws std::bad_alloc.
std::string DeflateBlock(const std::string& block, const std::string& dictionary, int level,
                         bool last) {
  z_stream z{};
  if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::bad_alloc();
  }
  std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&z, deflateEnd);
  if (!dictionary.empty()) {
    deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(dictionary.data()),
                         static_cast<uInt>(dictionary.size()));
  }
  // Room for the bound and a flush marker, so that zlib never runs out of it here; left as it
  // comes, since zlib writes what is kept, which is then copied out at its size (a sixth of
  // the room on sheet XML).
  const std::size_t room = deflateBound(&z, static_cast<uLong>(block.size())) + 16;
  const std::unique_ptr<char[]> out(new char[room]);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(block.data()));
  z.avail_in = static_cast<uInt>(block.size());
  z.next_out = reinterpret_cast<Bytef*>(out.get());
  z.avail_out = static_cast<uInt>(room);
  const int status = deflate(&z, last ? Z_FINISH : Z_SYNC_FLUSH);
  if (status != (last ? Z_STREAM_END : Z_OK) || z.avail_in != 0) throw std::bad_alloc();
  return std::string(out.get(), z.total_out);
}

}  // namespace

std::size_t DeflatedPart::CompressedSize() const {
  std::size_t total = 0;
  for (const std::string& piece : pieces) total += piece.size();
  return total;
}

std::string DeflatedPart::Joined() const {
  std::string joined;
  joined.reserve(CompressedSize());
  for (const std::string& piece : pieces) joined += piece;
  return joined;
}

BlockDeflater::BlockDeflater(int level, int single_block_level, std::size_t in_flight)
    : level_(level),
      single_block_level_(single_block_level),
      in_flight_(in_flight < 1 ? 1 : in_flight) {}

BlockDeflater::~BlockDeflater() {
  for (auto& piece : running_) {
    if (piece.valid()) piece.wait();
  }
}

void BlockDeflater::Add(std::string block) {
  if (block.empty()) return;
  if (has_pending_) Submit(false);
  pending_ = std::move(block);
  has_pending_ = true;
}

void BlockDeflater::Submit(bool last) {
  while (running_.size() >= in_flight_) Collect();
  auto block = std::make_shared<const std::string>(std::move(pending_));
  pending_.clear();
  has_pending_ = false;
  auto task = [block, dictionary = dictionary_, level = level_, last] {
    Piece piece;
    piece.bytes = DeflateBlock(*block, dictionary, level, last);
    piece.crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(block->data()), static_cast<uInt>(block->size())));
    piece.size = block->size();
    return piece;
  };
  running_.push_back(std::async(std::launch::async, std::move(task)));
  dictionary_ = block->size() >= kWindow
                    ? block->substr(block->size() - kWindow)
                    : (dictionary_ + *block)
                          .substr((dictionary_.size() + block->size()) > kWindow
                                      ? dictionary_.size() + block->size() - kWindow
                                      : 0);
}

void BlockDeflater::Collect() {
  Piece piece = running_.front().get();
  running_.pop_front();
  result_.pieces.push_back(std::move(piece.bytes));
  result_.crc = static_cast<std::uint32_t>(
      crc32_combine(result_.crc, piece.crc, static_cast<z_off_t>(piece.size)));
  result_.size += piece.size;
}

DeflatedPart BlockDeflater::Finish() {
  if (running_.empty() && result_.size == 0) {
    // One block (or none: an empty final block) is not worth a thread.
    result_.pieces.push_back(DeflateBlock(pending_, {}, single_block_level_, true));
    result_.crc = static_cast<std::uint32_t>(crc32(
        0, reinterpret_cast<const Bytef*>(pending_.data()), static_cast<uInt>(pending_.size())));
    result_.size = pending_.size();
    pending_.clear();
    has_pending_ = false;
    return std::move(result_);
  }
  Submit(true);
  while (!running_.empty()) Collect();
  return std::move(result_);
}

}  // namespace brintova::engine::package
