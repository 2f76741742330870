// The shared-string table (xl/sharedStrings.xml): one entry per <si>, rich-text runs joined,
// phonetic runs (<rPh>) left out, _xHHHH_ escapes decoded.
#pragma once

#include <string>
#include <string_view>

#include "engine/model/string_pool.h"
#include "engine/package/xml_reader.h"

namespace brintova::engine::package {

class ZipReader;

// Appends every entry to `pool`. Throws ReadError when the part is not valid XML.
void ReadSharedStringsPart(const ZipReader& zip, std::string_view part_name,
                           model::StringPool& pool);

// Collects the text of a string item (<si> or <is>): <t> directly inside or inside runs <r>,
// never inside phonetic runs <rPh> or anything else, each in the part's main namespace. Feed it
// the element events of the item's content (the item element itself excluded). Text past what a
// cell can hold is dropped as it arrives, so a string of a gigabyte costs no more than one of
// 32,767 characters.
class StringItemCollector {
 public:
  void Start(std::string_view name, bool main) {
    ++depth_;
    if (!main) return;
    if (depth_ == 1 && name == "r") in_run_ = true;
    if (name == "t" && (depth_ == 1 || (depth_ == 2 && in_run_))) text_depth_ = depth_;
  }
  void End() {
    if (depth_ == text_depth_) text_depth_ = 0;
    if (depth_ == 1) in_run_ = false;
    --depth_;
  }
  void Text(std::string_view text) {
    if (text_depth_ == 0 || depth_ != text_depth_) return;
    if (utf8_.size() + text.size() > kMaxItemBytes)
      text = text.substr(0, kMaxItemBytes - utf8_.size());
    utf8_.append(text);
  }
  // The collected text as UTF-16 with _xHHHH_ escapes decoded, cut to what a cell holds;
  // resets the collector.
  void Take(std::u16string& out);

  // Enough UTF-8 for the longest cell text even when every character is written as an escape.
  static constexpr std::size_t kMaxItemBytes = 7 * 32767 + 8;

 private:
  std::string utf8_;
  std::size_t depth_ = 0;
  std::size_t text_depth_ = 0;
  bool in_run_ = false;
};

// Decodes the escapes "_x000D_" (one UTF-16 code unit in hex) that producers write for
// characters XML cannot carry; "_x005F_" stands for "_".
void DecodeEscapes(std::u16string& text);

}  // namespace brintova::engine::package
