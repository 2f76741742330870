// Streaming XML over expat for the package parts: element and text callbacks with namespace
// prefixes stripped, no DOM, and the path of open elements for handlers that match elements by
// their place in the part. Document type declarations are refused outright, so no entity is
// ever declared or expanded; nesting and single tags are bounded.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace brintova::engine::package {

class ZipReader;

// The namespaces of relationship ids in the two flavours of the format.
inline constexpr std::string_view kTransitionalRelationships =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline constexpr std::string_view kStrictRelationships =
    "http://purl.oclc.org/ooxml/officeDocument/relationships";

// Attributes as expat hands them: name, value, name, value, ..., nullptr.
class XmlAttributes {
 public:
  explicit XmlAttributes(const char** pairs) : pairs_(pairs) {}
  // The value of the attribute whose local name (prefix stripped) is `name`; nullptr if absent.
  const char* Get(std::string_view name) const;
  // The value of an attribute that has a namespace prefix and the local name `local` ("r:id");
  // nullptr if absent.
  const char* GetPrefixed(std::string_view local) const;
  // The value of the attribute `local` in the namespace `ns`; nullptr if absent.
  const char* GetNamespaced(std::string_view ns, std::string_view local) const;
  // The relationship id of an element ("r:id"), in either flavour's relationships namespace.
  const char* GetRelationshipId() const;
  const char** pairs() const { return pairs_; }

 private:
  const char** pairs_;
};

// The open elements from the part's root down to the one being handled. An element is "main"
// when it is in the namespace of the part's root element: elements of other namespaces (the
// extensions producers add) never match a main element's place.
class XmlPath {
 public:
  // Open elements, the one being handled included (the root alone is 1).
  std::size_t depth() const { return depth_; }
  // True when the element being handled is in the root's namespace.
  bool InMain() const { return depth_ > 0 && depth_ <= kTracked && levels_[depth_ - 1].main; }
  // True when the open elements are exactly `names` (local names, from the root), each in the
  // root's namespace: Is({"workbook", "sheets", "sheet"}).
  bool Is(std::initializer_list<std::string_view> names) const;
  // True when the open elements begin with `names`, each in the root's namespace.
  bool Within(std::initializer_list<std::string_view> names) const;

  // The local name of the element being handled, when it lies no deeper than the levels kept;
  // nullptr below them.
  const std::string* local() const {
    return depth_ > 0 && depth_ <= kTracked ? &levels_[depth_ - 1].local : nullptr;
  }

  // Where the event being handled (a start tag, say) lies in the part's bytes.
  long long event_offset() const { return event_offset_; }
  int event_size() const { return event_size_; }

  // The parser's side.
  void Push(std::string_view local, bool main);
  void Pop() { --depth_; }
  void SetEvent(long long offset, int size) {
    event_offset_ = offset;
    event_size_ = size;
  }

 private:
  static constexpr std::size_t kTracked = 16;
  struct Level {
    std::string local;
    bool main = false;
  };
  std::array<Level, kTracked> levels_;
  std::size_t depth_ = 0;
  long long event_offset_ = 0;
  int event_size_ = 0;
};

class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  // `name` is the local name (no prefix). Throw ReadError to stop with a reason.
  virtual void Start(std::string_view name, const XmlAttributes& attributes) = 0;
  virtual void End(std::string_view name) = 0;
  // Text inside the current element, possibly in several pieces.
  virtual void Text(std::string_view text) { (void)text; }

  // During Start, End and Text: where the element stands (for End, the element closing).
  const XmlPath& path() const { return *path_; }
  // Called by the parser before the first event.
  void set_path(const XmlPath* path) { path_ = path; }

 private:
  const XmlPath* path_ = nullptr;
};

// Parses a part of the package through `handler`. Throws ReadError naming the part and the line
// when it is not well-formed (namespaces included) XML, declares a document type, nests
// elements deeper than kMaxXmlDepth, holds one tag, comment or instruction longer than
// kMaxXmlTokenBytes, or the handler refuses it.
inline constexpr std::size_t kMaxXmlDepth = 1000;
// Expat looks at an unfinished tag again with every chunk it is given, so a part made of tags
// this long costs a few times its size to parse; far longer ones would cost its square.
inline constexpr std::size_t kMaxXmlTokenBytes = std::size_t{2} << 20;
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
