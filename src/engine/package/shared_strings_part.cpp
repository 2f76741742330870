// Reading the shared-string table.
#include "engine/package/shared_strings_part.h"

#include "engine/model/cell.h"
#include "engine/package/zip_reader.h"

namespace brintova::engine::package {

namespace {

int Hex(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

class SharedStringsHandler : public XmlHandler {
 public:
  explicit SharedStringsHandler(model::StringPool& pool) : pool_(pool) {}
  void Start(std::string_view name, const XmlAttributes& attributes) override {
    if (in_item_) {
      collector_.Start(name, path().InMain());
    } else if (path().depth() == 1 && name == "sst" && path().InMain()) {
      // A count only reserves room; it is capped because a file may claim any number.
      if (const char* unique = attributes.Get("uniqueCount")) {
        const long long n = std::atoll(unique);
        if (n > 0) pool_.Reserve(static_cast<std::size_t>(std::min(n, 1LL << 20)));
      }
    } else if (path().depth() == 2 && name == "si" && path().Is({"sst", "si"})) {
      in_item_ = true;
    }
  }
  void End(std::string_view) override {
    if (!in_item_) return;
    if (path().depth() == 2) {
      in_item_ = false;
      collector_.Take(text_);
      pool_.Add(text_);
    } else {
      collector_.End();
    }
  }
  void Text(std::string_view text) override {
    if (in_item_) collector_.Text(text);
  }

 private:
  model::StringPool& pool_;
  StringItemCollector collector_;
  std::u16string text_;
  bool in_item_ = false;
};

}  // namespace

void DecodeEscapes(std::u16string& text) {
  std::size_t at = text.find(u"_x");
  if (at == std::u16string::npos) return;
  std::u16string out = text.substr(0, at);
  std::size_t i = at;
  while (i < text.size()) {
    if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_' &&
        Hex(text[i + 2]) >= 0 && Hex(text[i + 3]) >= 0 && Hex(text[i + 4]) >= 0 &&
        Hex(text[i + 5]) >= 0) {
      out.push_back(static_cast<char16_t>((Hex(text[i + 2]) << 12) | (Hex(text[i + 3]) << 8) |
                                          (Hex(text[i + 4]) << 4) | Hex(text[i + 5])));
      i += 7;
    } else {
      out.push_back(text[i]);
      ++i;
    }
  }
  text = std::move(out);
}

void StringItemCollector::Take(std::u16string& out) {
  out.clear();
  AppendUtf8(out, utf8_);
  DecodeEscapes(out);
  model::CutCellText(out);
  utf8_.clear();
  depth_ = 0;
  text_depth_ = 0;
  in_run_ = false;
}

void ReadSharedStringsPart(const ZipReader& zip, std::string_view part_name,
                           model::StringPool& pool) {
  SharedStringsHandler handler(pool);
  ParseXmlPart(zip, part_name, handler);
}

}  // namespace brintova::engine::package
