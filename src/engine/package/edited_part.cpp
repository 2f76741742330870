// Edited parts over pugixml, and finding their elements by place and namespace.
#include "engine/package/edited_part.h"

#include <charconv>
#include <cstring>

#include "engine/package/read_error.h"
#include "engine/package/xml_reader.h"
#include "engine/package/zip_reader.h"

namespace brintova::engine::package {

namespace {

// The root element of the document `node` belongs to.
pugi::xml_node DocumentElement(pugi::xml_node node) {
  for (pugi::xml_node child : node.root().children()) {
    if (child.type() == pugi::node_element) return child;
  }
  return {};
}

struct StringWriter : pugi::xml_writer {
  std::string out;
  void write(const void* data, size_t size) override {
    out.append(static_cast<const char*>(data), size);
  }
};

}  // namespace

EditedPart::EditedPart(const ZipReader& source, std::size_t index)
    : name_(source.EntryName(index)) {
  std::string text;
  source.ReadEntry(index, [&](const char* data, std::size_t size) { text.append(data, size); });
  Load(text);
}

EditedPart::EditedPart(std::string name, std::string_view text) : name_(std::move(name)) {
  Load(text);
}

void EditedPart::Load(std::string_view text) {
  const pugi::xml_parse_result result = document_.load_buffer(
      text.data(), text.size(), pugi::parse_full | pugi::parse_ws_pcdata, pugi::encoding_auto);
  if (!result) {
    throw ReadError{"part " + name_ + " is not valid XML (" + result.description() + " at byte " +
                    std::to_string(result.offset) + ")"};
  }
  // The part is written back as UTF-8 whatever it was read as.
  for (pugi::xml_node n : document_.children()) {
    if (n.type() == pugi::node_declaration && n.attribute("encoding")) {
      n.attribute("encoding").set_value("UTF-8");
    }
  }
}

std::string EditedPart::Serialize() const {
  StringWriter writer;
  document_.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
  return std::move(writer.out);
}

std::string_view LocalNameOf(const char* qualified) {
  const char* colon = std::strchr(qualified, ':');
  return colon ? std::string_view(colon + 1) : std::string_view(qualified);
}

std::string PrefixOf(const char* qualified) {
  const char* colon = std::strchr(qualified, ':');
  return colon ? std::string(qualified, colon - qualified) : std::string();
}

std::string NamespaceOf(pugi::xml_node node, const std::string& prefix) {
  const std::string attribute = prefix.empty() ? "xmlns" : "xmlns:" + prefix;
  for (; node; node = node.parent()) {
    if (node.type() != pugi::node_element) continue;
    if (pugi::xml_attribute a = node.attribute(attribute.c_str())) return a.value();
  }
  return {};
}

std::string ElementNamespace(pugi::xml_node node) {
  return NamespaceOf(node, PrefixOf(node.name()));
}

bool IsElement(pugi::xml_node node, std::string_view local, const std::string& ns) {
  return node.type() == pugi::node_element && LocalNameOf(node.name()) == local &&
         ElementNamespace(node) == ns;
}

bool IsMainElement(pugi::xml_node node, std::string_view local) {
  return node.type() == pugi::node_element && LocalNameOf(node.name()) == local &&
         ElementNamespace(node) == ElementNamespace(DocumentElement(node));
}

pugi::xml_node MainChild(pugi::xml_node parent, std::string_view local) {
  const std::string ns = ElementNamespace(DocumentElement(parent));
  for (pugi::xml_node c : parent.children()) {
    if (IsElement(c, local, ns)) return c;
  }
  return {};
}

pugi::xml_attribute RelationshipId(pugi::xml_node node) {
  for (pugi::xml_attribute a : node.attributes()) {
    const std::string prefix = PrefixOf(a.name());
    if (prefix.empty() || prefix == "xmlns" || LocalNameOf(a.name()) != "id") continue;
    const std::string ns = NamespaceOf(node, prefix);
    if (ns == kTransitionalRelationships || ns == kStrictRelationships) return a;
  }
  return {};
}

std::uint32_t ParseUnsigned(const char* text, std::uint32_t fallback) {
  if (text == nullptr || *text == '\0') return fallback;
  const char* end = text + std::strlen(text);
  std::uint32_t value = 0;
  const auto parsed = std::from_chars(text, end, value);
  return parsed.ec == std::errc() && parsed.ptr == end ? value : fallback;
}

std::string SamePrefix(const char* like, std::string_view local) {
  const std::string prefix = PrefixOf(like);
  return (prefix.empty() ? std::string() : prefix + ":") + std::string(local);
}

}  // namespace brintova::engine::package
