// Reading the styles part: numFmts first, then cellXfs, whose xf entries name a numFmtId.
#include "engine/package/styles_part.h"

#include <charconv>
#include <cstring>
#include <string>

#include "engine/package/read_error.h"
#include "engine/package/xml_reader.h"
#include "engine/package/zip_reader.h"
#include "platform/text.h"

namespace brintova::engine::package {

namespace {

std::uint32_t ParseId(const char* text) {
  std::uint32_t id = 0;
  if (text != nullptr) std::from_chars(text, text + std::strlen(text), id);
  return id;
}

// Only the number formats of <numFmts> and the cell formats of <cellXfs> count: the formats
// of differential styles (<dxfs>) and anything in an extension list have other places.
class StylesHandler : public XmlHandler {
 public:
  StylesHandler(model::StyleTable& styles, std::uint64_t max_entries)
      : styles_(styles), max_entries_(max_entries) {}

  void Start(std::string_view name, const XmlAttributes& attributes) override {
    if (path().depth() != 3) return;
    if (name == "numFmt" && path().Is({"styleSheet", "numFmts", "numFmt"})) {
      Count();
      const char* code = attributes.Get("formatCode");
      // An empty code would hide every value it formats; it is read as no code at all, so a
      // built-in id keeps its own code (General for 0) and any other id shows General.
      if (code == nullptr || *code == '\0') return;
      std::u16string text;
      AppendUtf8(text, code);
      styles_.AddFormat(ParseId(attributes.Get("numFmtId")), text);
    } else if (name == "xf" && path().Is({"styleSheet", "cellXfs", "xf"})) {
      Count();
      // numFmtId applies whatever applyNumberFormat says: the application shows it either way.
      xf_ids_.push_back(ParseId(attributes.Get("numFmtId")));
    }
  }
  void End(std::string_view) override {}

  // Styles are made after the whole part is read: a producer may put numFmts after cellXfs.
  void Finish() {
    styles_.ClearStyles();
    for (std::uint32_t id : xf_ids_) styles_.AddStyle(styles_.FormatForId(id));
    styles_.MarkOriginal();
  }

 private:
  void Count() {
    if (++entries_ > max_entries_) {
      throw ReadError{"it holds more than " + GroupedDecimal(max_entries_) +
                      " cell and number formats, the most this program reads for one workbook"};
    }
  }

  model::StyleTable& styles_;
  std::uint64_t max_entries_;
  std::uint64_t entries_ = 0;
  std::vector<std::uint32_t> xf_ids_;
};

}  // namespace

void ReadStylesPart(const ZipReader& zip, std::string_view part_name, model::StyleTable& styles,
                    std::uint64_t max_entries) {
  StylesHandler handler(styles, max_entries);
  ParseXmlPart(zip, part_name, handler);
  handler.Finish();
}

}  // namespace brintova::engine::package
