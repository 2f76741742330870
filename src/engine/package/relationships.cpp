// Reading .rels parts and resolving their targets.
#include "engine/package/relationships.h"

#include <unordered_set>

#include "engine/package/read_error.h"
#include "engine/package/xml_reader.h"
#include "engine/package/zip_reader.h"

namespace brintova::engine::package {

namespace {

class RelationshipsHandler : public XmlHandler {
 public:
  RelationshipsHandler(std::string_view source, std::vector<Relationship>& out)
      : source_(source), out_(out) {}
  void Start(std::string_view name, const XmlAttributes& attributes) override {
    if (name != "Relationship" || !path().Is({"Relationships", "Relationship"})) return;
    const char* id = attributes.Get("Id");
    const char* type = attributes.Get("Type");
    const char* target = attributes.Get("Target");
    const char* mode = attributes.Get("TargetMode");
    if (id == nullptr || type == nullptr || target == nullptr) return;  // unusable: skipped
    Relationship r;
    r.id = id;
    r.type = type;
    r.external = mode != nullptr && std::string_view(mode) == "External";
    r.target = r.external ? std::string(target) : ResolveTarget(source_, target);
    // Which of two relationships an id means cannot be told: the part is damaged.
    if (!ids_.insert(r.id).second) {
      throw ReadError{"it gives two relationships the id \"" + r.id + "\""};
    }
    out_.push_back(std::move(r));
  }
  void End(std::string_view) override {}

 private:
  std::string_view source_;
  std::vector<Relationship>& out_;
  std::unordered_set<std::string> ids_;
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string RelationshipsPartName(std::string_view source_part) {
  const std::size_t slash = source_part.rfind('/');
  if (slash == std::string_view::npos) {
    return "_rels/" + std::string(source_part) + ".rels";
  }
  return std::string(source_part.substr(0, slash)) + "/_rels/" +
         std::string(source_part.substr(slash + 1)) + ".rels";
}

std::string ResolveTarget(std::string_view source_part, std::string_view target) {
  std::string decoded;
  for (std::size_t i = 0; i < target.size(); ++i) {
    if (target[i] == '%' && i + 2 < target.size() && HexValue(target[i + 1]) >= 0 &&
        HexValue(target[i + 2]) >= 0) {
      decoded.push_back(static_cast<char>(HexValue(target[i + 1]) * 16 + HexValue(target[i + 2])));
      i += 2;
    } else {
      decoded.push_back(target[i] == '\\' ? '/' : target[i]);
    }
  }
  std::string path;
  if (!decoded.empty() && decoded[0] == '/') {
    path = decoded.substr(1);
  } else {
    const std::size_t slash = source_part.rfind('/');
    path = slash == std::string_view::npos
               ? decoded
               : std::string(source_part.substr(0, slash + 1)) + decoded;
  }
  std::vector<std::string> segments;
  std::size_t begin = 0;
  while (begin <= path.size()) {
    std::size_t end = path.find('/', begin);
    if (end == std::string::npos) end = path.size();
    const std::string segment = path.substr(begin, end - begin);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    begin = end + 1;
  }
  std::string result;
  for (const auto& segment : segments) {
    if (!result.empty()) result.push_back('/');
    result += segment;
  }
  return result;
}

bool IsType(std::string_view type, std::string_view kind) {
  return type.size() > kind.size() && type.ends_with(kind) &&
         type[type.size() - kind.size() - 1] == '/';
}

std::vector<Relationship> ReadRelationships(const ZipReader& zip, std::string_view source_part) {
  std::vector<Relationship> relationships;
  const std::string rels = RelationshipsPartName(source_part);
  if (!zip.Has(rels)) return relationships;
  RelationshipsHandler handler(source_part, relationships);
  ParseXmlPart(zip, rels, handler);
  return relationships;
}

}  // namespace brintova::engine::package
