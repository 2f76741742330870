// Streaming XML over expat for the parts of an OpenDocument package, with namespaces resolved:
// an element or attribute is known by its namespace and local name whatever prefix the file
// binds, so office:value-type and calcext:value-type stay apart. Prefixes are resolved here
// from the file's declarations, which costs far less than expat's namespace processing. No DOM;
// document type declarations are refused, so no entity is ever declared or expanded.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brintova::engine::package {
class ZipReader;
}

namespace brintova::engine::ods {

enum class Ns : std::uint8_t {
  kNone,  // no namespace, or one the reader does not know
  kOffice,
  kStyle,
  kText,
  kTable,
  kNumber,
  kFo,
  kDraw,
  kCalcext,
  kLoext,
  kManifest,
};

struct XmlName {
  Ns ns = Ns::kNone;
  std::string_view local;
  bool Is(Ns n, std::string_view l) const { return ns == n && local == l; }
};

// The namespaces declared so far, by prefix. Declarations are taken as they come, without the
// scoping of a redeclaration to its element: producers declare every prefix once, on the root.
class Namespaces {
 public:
  // Records the xmlns attributes among `pairs` (name, value, ..., nullptr).
  void Declare(const char** pairs);
  // The namespace and local name of a qualified name ("table:table-cell").
  XmlName Split(std::string_view qualified) const;

 private:
  struct Binding {
    std::string prefix;
    Ns ns;
  };
  std::vector<Binding> bindings_;  // known namespaces only
  Ns default_ = Ns::kNone;
};

class Attributes {
 public:
  Attributes(const char** pairs, const Namespaces& namespaces)
      : pairs_(pairs), namespaces_(namespaces) {}
  // The value of the attribute, or nullptr when the element has none.
  const char* Get(Ns ns, std::string_view local) const;
  const char** pairs() const { return pairs_; }
  XmlName NameOf(const char* qualified) const { return namespaces_.Split(qualified); }

 private:
  const char** pairs_;
  const Namespaces& namespaces_;
};

class Handler {
 public:
  virtual ~Handler() = default;
  // Throw ReadError to stop with a reason.
  virtual void Start(const XmlName& name, const Attributes& attributes) = 0;
  virtual void End(const XmlName& name) = 0;
  virtual void Text(std::string_view text) { (void)text; }
};

// Parses a part of the package through `handler`. Throws ReadError naming the part and the line
// when it is not well-formed XML, declares a document type, or the handler refuses it.
void ParsePart(const package::ZipReader& zip, std::string_view part_name, Handler& handler);
void ParseBytes(std::string_view bytes, std::string_view part_name, Handler& handler);

}  // namespace brintova::engine::ods
