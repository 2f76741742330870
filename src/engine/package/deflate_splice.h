// Replacing the start of a raw deflate stream without inflating and deflating all of it: the
// stream is inflated only up to a block boundary a window's length past the replaced bytes, that
// start is deflated again with the new bytes in place and sync-flushed, and the original blocks
// from the boundary follow as they are. Their back-references reach at most 32 KiB behind, so
// past the window they see only bytes that are unchanged (moved, but distances are relative).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/package/block_deflater.h"
#include "engine/package/zip_reader.h"

namespace brintova::engine::package {

// The farthest a deflate back-reference reaches.
inline constexpr std::size_t kDeflateWindow = 32 * 1024;

// A place where a raw deflate stream can be cut: the end of a block that is not the last one,
// at a byte boundary, so that the next block starts at a whole byte of the stream.
struct StreamCut {
  std::string inflated;               // the stream's bytes before the cut
  std::size_t compressed_offset = 0;  // where the blocks after the cut start in the stream
};

// The first cut at or past `min_inflated` bytes of output, or nullopt when the stream ends, turns
// out damaged, or inflates to `max_inflated` bytes before one. Throws std::bad_alloc when zlib
// has no memory.
std::optional<StreamCut> FindStreamCut(std::string_view stream, std::size_t min_inflated,
                                       std::size_t max_inflated);

// `stream` with its first `replaced` inflated bytes replaced by `replacement`, which is deflated
// at `level`; its CRC and size are worked out from the ones `stream` records, so the blocks after
// the cut are never inflated. `cut` is FindStreamCut's on the same bytes with `min_inflated` at
// least `replaced` + kDeflateWindow, and lies before the stream's recorded size. Throws
// std::bad_alloc when zlib has no memory.
DeflatedPart SpliceStream(DeflateStream stream, const StreamCut& cut, std::size_t replaced,
                          std::string_view replacement, int level);

}  // namespace brintova::engine::package
