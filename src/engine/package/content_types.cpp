// Reading [Content_Types].xml.
#include "engine/package/content_types.h"

#include "engine/package/xml_reader.h"
#include "engine/package/zip_reader.h"

namespace brintova::engine::package {

namespace {

constexpr std::string_view kPartName = "[Content_Types].xml";

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

class ContentTypesHandler : public XmlHandler {
 public:
  ContentTypesHandler(std::map<std::string, std::string>& defaults,
                      std::map<std::string, std::string>& overrides)
      : defaults_(defaults), overrides_(overrides) {}
  void Start(std::string_view name, const XmlAttributes& attributes) override {
    const char* type = attributes.Get("ContentType");
    if (type == nullptr || path().depth() != 2) return;
    if (name == "Default" && path().Is({"Types", "Default"})) {
      if (const char* extension = attributes.Get("Extension")) {
        defaults_[Lower(extension)] = type;
      }
    } else if (name == "Override" && path().Is({"Types", "Override"})) {
      if (const char* part = attributes.Get("PartName")) {
        std::string_view p(part);
        if (!p.empty() && p[0] == '/') p.remove_prefix(1);
        overrides_[Lower(p)] = type;
      }
    }
  }
  void End(std::string_view) override {}

 private:
  std::map<std::string, std::string>& defaults_;
  std::map<std::string, std::string>& overrides_;
};

}  // namespace

void ContentTypes::Read(const ZipReader& zip) {
  if (!zip.Has(kPartName)) return;
  ContentTypesHandler handler(defaults_, overrides_);
  ParseXmlPart(zip, kPartName, handler);
  present_ = true;
}

std::string ContentTypes::Of(std::string_view part_name) const {
  const std::string lower = Lower(part_name);
  if (auto it = overrides_.find(lower); it != overrides_.end()) return it->second;
  const std::size_t dot = lower.rfind('.');
  if (dot != std::string::npos) {
    if (auto it = defaults_.find(lower.substr(dot + 1)); it != defaults_.end()) return it->second;
  }
  return {};
}

}  // namespace brintova::engine::package
