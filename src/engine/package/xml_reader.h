// Streaming XML over expat for the package parts: element and text callbacks with namespace
// prefixes stripped, no DOM. Document type declarations are refused outright, so no entity is
// ever declared or expanded.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brintova::engine::package {

class ZipReader;

// Attributes as expat hands them: name, value, name, value, ..., nullptr.
class XmlAttributes {
 public:
  explicit XmlAttributes(const char** pairs) : pairs_(pairs) {}
  // The value of the attribute whose local name (prefix stripped) is `name`; nullptr if absent.
  const char* Get(std::string_view name) const;
  // The value of an attribute that has a namespace prefix and the local name `local` ("r:id");
  // nullptr if absent.
  const char* GetPrefixed(std::string_view local) const;
  const char** pairs() const { return pairs_; }

 private:
  const char** pairs_;
};

class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  // `name` is the local name (no prefix). Throw ReadError to stop with a reason.
  virtual void Start(std::string_view name, const XmlAttributes& attributes) = 0;
  virtual void End(std::string_view name) = 0;
  // Text inside the current element, possibly in several pieces.
  virtual void Text(std::string_view text) { (void)text; }
};

// Parses a part of the package through `handler`. Throws ReadError naming the part and the line
// when it is not well-formed XML, declares a document type, or the handler refuses it.
void ParseXmlPart(const ZipReader& zip, std::string_view part_name, XmlHandler& handler);
// The same over bytes in memory (tests, small parts).
void ParseXmlBytes(std::string_view bytes, std::string_view part_name, XmlHandler& handler);

// The local name of a qualified XML name ("x:c" -> "c").
inline std::string_view LocalName(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// Appends UTF-8 (as expat delivers it: always valid) to UTF-16.
void AppendUtf8(std::u16string& out, std::string_view utf8);

}  // namespace brintova::engine::package
