// Finding the selected views of a sheet part by a streaming parse of its head, and removing the
// mark from exactly those start tags in the part's bytes, leaving everything else as it was. A
// large deflated part is spliced: only its start is inflated and deflated again.
#include "engine/package/sheet_selection.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/package/deflate_splice.h"
#include "engine/package/read_error.h"
#include "engine/package/workbook_part.h"
#include "engine/package/worksheet_writer.h"
#include "engine/package/xml_reader.h"
#include "engine/package/zip_reader.h"

namespace brintova::engine::package {

namespace {

struct TagRange {
  long long offset;
  int size;
};

// Thrown to end the parse once the views are behind.
struct ScanDone {};

// The <sheetView> start tags under the root's <sheetViews> that mark the tab selected. The views
// come before the cells, so the parse stops at the first element after them.
class SelectionScan : public XmlHandler {
 public:
  explicit SelectionScan(std::vector<TagRange>& tags) : tags_(tags) {}

  void Start(std::string_view name, const XmlAttributes& attributes) override {
    const std::size_t depth = path().depth();
    if (depth == 2) {
      if (views_done_ || name == "sheetData") throw ScanDone{};
      in_views_ = name == "sheetViews" && path().InMain();
    } else if (depth == 3 && in_views_ && name == "sheetView" && path().InMain()) {
      for (const char** p = attributes.pairs(); p[0] != nullptr; p += 2) {
        if (std::string_view(p[0]) == "tabSelected" && XmlBoolean(p[1])) {
          tags_.push_back({path().event_offset(), path().event_size()});
        }
      }
    }
  }
  void End(std::string_view) override {
    if (path().depth() == 2 && in_views_) {
      in_views_ = false;
      views_done_ = true;
    }
  }

 private:
  std::vector<TagRange>& tags_;
  bool in_views_ = false;
  bool views_done_ = false;
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A start tag without its tabSelected attribute (and the white space before it).
std::string WithoutSelected(std::string_view tag) {
  std::size_t at = 1;
  while (at < tag.size() && !IsSpace(tag[at]) && tag[at] != '/' && tag[at] != '>') ++at;
  std::string out(tag.substr(0, at));
  while (at < tag.size()) {
    const std::size_t space_begin = at;
    while (at < tag.size() && IsSpace(tag[at])) ++at;
    if (at >= tag.size() || tag[at] == '/' || tag[at] == '>') {
      out.append(tag.substr(space_begin));
      break;
    }
    const std::size_t name_begin = at;
    while (at < tag.size() && tag[at] != '=' && !IsSpace(tag[at])) ++at;
    const std::string_view name = tag.substr(name_begin, at - name_begin);
    while (at < tag.size() && tag[at] != '\'' && tag[at] != '"') ++at;
    if (at >= tag.size()) return std::string(tag);  // not a tag as expected: left alone
    const char quote = tag[at];
    const std::size_t close = tag.find(quote, at + 1);
    if (close == std::string_view::npos) return std::string(tag);
    at = close + 1;
    if (name != "tabSelected") out.append(tag.substr(space_begin, at - space_begin));
  }
  return out;
}

// The head of a part with the mark taken out of each tag, or nullopt when the tags do not lie
// where the parse found them (the part is then copied as it stands).
std::optional<std::string> WithoutSelectedTags(std::string_view head,
                                               const std::vector<TagRange>& tags) {
  // Offsets count the part's bytes; a part in UTF-16 is left as it is.
  if (head.size() >= 2 && (head[0] == '\xFF' || head[0] == '\xFE')) return std::nullopt;
  std::string out;
  out.reserve(head.size());
  std::size_t copied = 0;
  for (const TagRange& tag : tags) {
    const auto begin = static_cast<std::size_t>(tag.offset);
    const auto size = static_cast<std::size_t>(tag.size);
    if (begin < copied || begin + size > head.size()) return std::nullopt;
    out.append(head.substr(copied, begin - copied));
    out += WithoutSelected(head.substr(begin, size));
    copied = begin + size;
  }
  out.append(head.substr(copied));
  return out;
}

// How far into a part its stream is inflated in search of a place to cut it, past which the
// whole part is deflated again instead. Streams made in one pass end a block every hundred KB or
// so of sheet XML and about one end in eight falls on a byte boundary; streams this program
// wrote fall on one at every block.
constexpr std::size_t kCutSearchBytes = std::size_t{4} << 20;

enum class Splice { kDone, kLeftAlone, kNotPossible };

// The part without its marks made by splicing its stream: the head, edited, and the rest of the
// window past it deflated again, the original blocks after that copied. kNotPossible when the
// part is not deflated or no place to cut it lies near enough.
Splice SplicedPart(const ZipReader& source, std::size_t entry, const std::vector<TagRange>& tags,
                   std::size_t head_size, DeflatedPart& part) {
  std::optional<DeflateStream> stream = source.ReadDeflateStream(entry);
  // The cut must leave bytes after it: the recorded size bounds the search.
  if (!stream || stream->size <= head_size + kDeflateWindow) return Splice::kNotPossible;
  const auto search =
      static_cast<std::size_t>(std::min<std::uint64_t>(kCutSearchBytes, stream->size - 1));
  std::optional<StreamCut> cut = FindStreamCut(stream->bytes, head_size + kDeflateWindow, search);
  source.CountInflatedBytes(cut ? cut->inflated.size() : search);  // at most that was inflated
  if (!cut) return Splice::kNotPossible;
  std::optional<std::string> edited =
      WithoutSelectedTags(std::string_view(cut->inflated).substr(0, head_size), tags);
  if (!edited) return Splice::kLeftAlone;
  part = SpliceStream(std::move(*stream), *cut, head_size, *edited, kSmallSheetDeflateLevel);
  return Splice::kDone;
}

}  // namespace

std::optional<DeflatedPart> DeselectedSheetPart(const ZipReader& source, std::size_t entry) {
  std::vector<TagRange> tags;
  SelectionScan scan(tags);
  try {
    ParseXmlPart(source, source.EntryName(entry), scan);
  } catch (const ScanDone&) {
  } catch (const ReadError&) {
    return std::nullopt;  // a part this program cannot read is copied as it stands
  }
  if (tags.empty()) return std::nullopt;
  const auto head_size = static_cast<std::size_t>(tags.back().offset + tags.back().size);
  DeflatedPart spliced;
  switch (SplicedPart(source, entry, tags, head_size, spliced)) {
    case Splice::kDone:
      return spliced;
    case Splice::kLeftAlone:
      return std::nullopt;
    case Splice::kNotPossible:
      break;
  }
  // The marks lie in the part's head: it is gathered up to the last one and edited, and the
  // rest streams through to the deflater as it is inflated, so the part is never held whole.
  std::string head;
  bool head_done = false;
  struct LeftAlone {};
  BlockDeflater deflater(kLargeSheetDeflateLevel, kSmallSheetDeflateLevel);
  std::string block;
  const auto emit = [&](std::string_view bytes) {
    block.append(bytes);
    if (block.size() >= kWorksheetBlockBytes) {
      deflater.Add(std::move(block));
      block.clear();
    }
  };
  try {
    source.ReadEntry(entry, [&](const char* data, std::size_t size) {
      std::string_view chunk(data, size);
      if (!head_done) {
        const std::size_t take = std::min(chunk.size(), head_size - head.size());
        head.append(chunk.substr(0, take));
        chunk.remove_prefix(take);
        if (head.size() < head_size) return;
        head_done = true;
        std::optional<std::string> edited = WithoutSelectedTags(head, tags);
        if (!edited) throw LeftAlone{};
        emit(*edited);
      }
      emit(chunk);
    });
  } catch (const LeftAlone&) {
    return std::nullopt;
  }
  if (!head_done) return std::nullopt;  // the part ends before its marks: left alone
  deflater.Add(std::move(block));
  return deflater.Finish();
}

}  // namespace brintova::engine::package
