// Deflates a part handed over in blocks, on worker threads while the caller makes the next
// block. Each block is primed with the 32 KiB before it and ended by a sync flush (the last one
// ends the stream), so the joined output is one raw deflate stream, as a zip entry holds it,
// only a little larger than one made in a single pass.
#pragma once

#include <cstdint>
#include <deque>
#include <future>
#include <string>
#include <vector>

namespace brintova::engine::package {

struct DeflatedPart {
  // The raw deflate stream in pieces, one per block, each no larger than it needs: joining them
  // into one string would hold the part twice while the string grows.
  std::vector<std::string> pieces;
  std::uint32_t crc = 0;   // CRC-32 of the inflated bytes
  std::uint64_t size = 0;  // inflated size

  std::size_t CompressedSize() const;
  std::string Joined() const;
};

class BlockDeflater {
 public:
  // `level` is zlib's (1 fastest, 9 smallest); a part that arrives as one block is deflated at
  // `single_block_level` on the caller's thread instead. At most `in_flight` blocks are held
  // at once.
  BlockDeflater(int level, int single_block_level, std::size_t in_flight = 3);
  ~BlockDeflater();  // waits for blocks still being deflated
  BlockDeflater(const BlockDeflater&) = delete;
  BlockDeflater& operator=(const BlockDeflater&) = delete;

  // Takes the next block of the part. Throws std::bad_alloc when zlib has no memory.
  void Add(std::string block);
  // The whole part, deflated; the deflater is spent afterwards. Throws as Add does.
  DeflatedPart Finish();

 private:
  struct Piece {
    std::string bytes;
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
  };
  void Submit(bool last);
  void Collect();

  int level_;
  int single_block_level_;
  std::size_t in_flight_;
  std::string pending_;  // held back until it is known whether it is the last block
  bool has_pending_ = false;
  std::string dictionary_;  // the last 32 KiB submitted
  std::deque<std::future<Piece>> running_;
  DeflatedPart result_;
};

}  // namespace brintova::engine::package
