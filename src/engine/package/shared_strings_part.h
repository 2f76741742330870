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
// never inside <rPh>. Feed it the element events of the item's content.
class StringItemCollector {
 public:
  void Start(std::string_view name) {
    if (name == "rPh") ++phonetic_depth_;
    if (name == "t" && phonetic_depth_ == 0) in_text_ = true;
  }
  void End(std::string_view name) {
    if (name == "rPh" && phonetic_depth_ > 0) --phonetic_depth_;
    if (name == "t") in_text_ = false;
  }
  void Text(std::string_view text) {
    if (in_text_) utf8_.append(text);
  }
  // The collected text as UTF-16 with _xHHHH_ escapes decoded; resets the collector.
  void Take(std::u16string& out);

 private:
  std::string utf8_;
  int phonetic_depth_ = 0;
  bool in_text_ = false;
};

// Decodes the escapes "_x000D_" (one UTF-16 code unit in hex) that producers write for
// characters XML cannot carry; "_x005F_" stands for "_".
void DecodeEscapes(std::u16string& text);

}  // namespace brintova::engine::package
