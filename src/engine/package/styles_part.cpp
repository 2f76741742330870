// Reading the styles part: numFmts first, then cellXfs, whose xf entries name a numFmtId.
#include "engine/package/styles_part.h"

#include <charconv>
#include <cstring>
#include <string>

#include "engine/package/xml_reader.h"
#include "engine/package/zip_reader.h"

namespace brintova::engine::package {

namespace {

std::uint32_t ParseId(const char* text) {
  std::uint32_t id = 0;
  if (text != nullptr) std::from_chars(text, text + std::strlen(text), id);
  return id;
}

class StylesHandler : public XmlHandler {
 public:
  explicit StylesHandler(model::StyleTable& styles) : styles_(styles) {}

  void Start(std::string_view name, const XmlAttributes& attributes) override {
    if (name == "numFmt") {
      const char* code = attributes.Get("formatCode");
      // An empty code would hide every value it formats; it is read as no code at all, so a
      // built-in id keeps its own code (General for 0) and any other id shows General.
      if (code == nullptr || *code == '\0') return;
      std::u16string text;
      AppendUtf8(text, code);
      styles_.AddFormat(ParseId(attributes.Get("numFmtId")), text);
    } else if (name == "cellXfs") {
      in_cell_xfs_ = true;
    } else if (name == "xf" && in_cell_xfs_) {
      // numFmtId applies whatever applyNumberFormat says: the application shows it either way.
      xf_ids_.push_back(ParseId(attributes.Get("numFmtId")));
    }
  }
  void End(std::string_view name) override {
    if (name == "cellXfs") in_cell_xfs_ = false;
  }

  // Styles are made after the whole part is read: a producer may put numFmts after cellXfs.
  void Finish() {
    styles_.ClearStyles();
    for (std::uint32_t id : xf_ids_) styles_.AddStyle(styles_.FormatForId(id));
    styles_.MarkOriginal();
  }

 private:
  model::StyleTable& styles_;
  std::vector<std::uint32_t> xf_ids_;
  bool in_cell_xfs_ = false;
};

}  // namespace

void ReadStylesPart(const ZipReader& zip, std::string_view part_name, model::StyleTable& styles) {
  StylesHandler handler(styles);
  ParseXmlPart(zip, part_name, handler);
  handler.Finish();
}

}  // namespace brintova::engine::package
