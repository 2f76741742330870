// The small XML parts a save rewrites (workbook, its relationships, content types, styles),
// loaded as documents so that everything in them this program does not understand is kept, and
// the helpers that find elements in them the way the streaming readers do: by local name in the
// namespace of the part's root element.
#pragma once

#include <cstdint>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace brintova::engine::package {

class ZipReader;

class EditedPart {
 public:
  // Throws ReadError naming the part when it cannot be read or is not valid XML.
  EditedPart(const ZipReader& source, std::size_t index);
  EditedPart(std::string name, std::string_view text);

  pugi::xml_node root() const { return document_.document_element(); }
  const std::string& name() const { return name_; }
  std::string Serialize() const;

 private:
  void Load(std::string_view text);

  std::string name_;
  pugi::xml_document document_;
};

// "x:sheet" -> "sheet"; "x:sheet" -> "x".
std::string_view LocalNameOf(const char* qualified);
std::string PrefixOf(const char* qualified);
// The namespace bound to `prefix` ("" for the default namespace) where `node` stands.
std::string NamespaceOf(pugi::xml_node node, const std::string& prefix);
// The namespace of the element itself.
std::string ElementNamespace(pugi::xml_node node);

// True when `node` is the element `local` in the namespace `ns`.
bool IsElement(pugi::xml_node node, std::string_view local, const std::string& ns);
// The first child element `local` in the namespace of `parent`'s document root.
pugi::xml_node MainChild(pugi::xml_node parent, std::string_view local);
// True when `node` is the element `local` in the namespace of its document's root.
bool IsMainElement(pugi::xml_node node, std::string_view local);

// The relationship id of `node` ("r:id"), in either flavour's namespace, as the reader takes it.
pugi::xml_attribute RelationshipId(pugi::xml_node node);

// A decimal attribute value; `fallback` when it is missing, not a number or past 32 bits.
std::uint32_t ParseUnsigned(const char* text, std::uint32_t fallback);

// The element name for a new child `local` written with the prefix `like` carries.
std::string SamePrefix(const char* like, std::string_view local);

}  // namespace brintova::engine::package
