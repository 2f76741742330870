// zlib behind the splice: inflate stopped at each block's end (Z_BLOCK), and CRCs joined and
// parted with crc32_combine, which is linear: crc(a + b) = shift(crc(a), |b|) xor crc(b).
#include "engine/package/deflate_splice.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <new>

namespace brintova::engine::package {

namespace {

constexpr std::size_t kFirstOutputBytes = std::size_t{256} << 10;
constexpr std::size_t kOutputRoom = std::size_t{64} << 10;

std::uint32_t Crc(std::string_view bytes) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

std::uint32_t Combined(std::uint32_t first, std::uint32_t second, std::uint64_t second_size) {
  return static_cast<std::uint32_t>(
      crc32_combine(first, second, static_cast<z_off_t>(second_size)));
}

// Feeds `in` to the deflater, growing `out` as it fills. Throws std::bad_alloc.
void Feed(z_stream& z, std::string& out, std::string_view in, int flush) {
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = static_cast<uInt>(in.size());
  for (;;) {
    if (out.size() - z.total_out < kOutputRoom) out.resize(z.total_out + kOutputRoom + z.avail_in);
    z.next_out = reinterpret_cast<Bytef*>(out.data() + z.total_out);
    z.avail_out = static_cast<uInt>(out.size() - z.total_out);
    if (deflate(&z, flush) == Z_STREAM_ERROR) throw std::bad_alloc();
    // Room left over means the input is taken and, for a flush, the flush is written whole.
    if (z.avail_in == 0 && z.avail_out != 0) return;
  }
}

// `first` then `second` as one raw deflate stream left open by a sync flush: it ends at a byte
// boundary with an empty stored block, where any other block may follow. Throws std::bad_alloc.
std::string DeflateSynced(std::string_view first, std::string_view second, int level) {
  z_stream z{};
  if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::bad_alloc();
  }
  std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&z, deflateEnd);
  std::string out(deflateBound(&z, static_cast<uLong>(first.size() + second.size())) + 16, '\0');
  Feed(z, out, first, Z_NO_FLUSH);
  Feed(z, out, second, Z_SYNC_FLUSH);
  out.resize(z.total_out);
  out.shrink_to_fit();
  return out;
}

}  // namespace

std::optional<StreamCut> FindStreamCut(std::string_view stream, std::size_t min_inflated,
                                       std::size_t max_inflated) {
  if (min_inflated > max_inflated || stream.size() > UINT_MAX) return std::nullopt;
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
  std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&z, inflateEnd);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
  z.avail_in = static_cast<uInt>(stream.size());
  StreamCut cut;
  std::size_t produced = 0;
  for (;;) {
    if (produced >= max_inflated) return std::nullopt;
    if (produced == cut.inflated.size()) {
      cut.inflated.resize(std::min(max_inflated, std::max(kFirstOutputBytes, produced * 2)));
    }
    z.next_out = reinterpret_cast<Bytef*>(cut.inflated.data() + produced);
    z.avail_out = static_cast<uInt>(cut.inflated.size() - produced);
    // Z_BLOCK returns at the end of each block, besides when the input or output runs out.
    const int status = inflate(&z, Z_BLOCK);
    produced = cut.inflated.size() - z.avail_out;
    // Z_STREAM_END: the last block ended with no cut found; anything else but Z_OK: the stream
    // is damaged or ends early.
    if (status != Z_OK) return std::nullopt;
    const bool block_end = (z.data_type & 128) != 0;
    const bool in_last_block = (z.data_type & 64) != 0;
    const bool byte_aligned = (z.data_type & 7) == 0;
    if (block_end && !in_last_block && byte_aligned && produced >= min_inflated &&
        z.avail_in != 0) {
      cut.inflated.resize(produced);
      cut.compressed_offset = stream.size() - z.avail_in;
      return cut;
    }
  }
}

DeflatedPart SpliceStream(DeflateStream stream, const StreamCut& cut, std::size_t replaced,
                          std::string_view replacement, int level) {
  const std::string_view original(cut.inflated);
  const std::string_view kept = original.substr(replaced);  // unchanged up to the cut
  const std::uint64_t rest_size = stream.size - original.size();
  const std::uint32_t kept_crc = Crc(kept);
  // The CRC of the bytes after the cut, taken out of the whole stream's without inflating them.
  const std::uint32_t original_start_crc =
      Combined(Crc(original.substr(0, replaced)), kept_crc, kept.size());
  const std::uint32_t rest_crc = stream.crc ^ Combined(original_start_crc, 0, rest_size);
  const std::uint32_t new_start_crc = Combined(Crc(replacement), kept_crc, kept.size());

  DeflatedPart part;
  part.crc = Combined(new_start_crc, rest_crc, rest_size);
  part.size = replacement.size() + kept.size() + rest_size;
  part.pieces.push_back(DeflateSynced(replacement, kept, level));
  stream.bytes.erase(0, cut.compressed_offset);
  part.pieces.push_back(std::move(stream.bytes));
  return part;
}

}  // namespace brintova::engine::package
