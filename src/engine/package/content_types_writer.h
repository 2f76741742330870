// [Content_Types].xml as a save writes it: the source's part edited in place, or a new one for a
// package that had none.
#pragma once

#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace brintova::engine::package {

class ZipReader;

inline constexpr const char* kContentTypesPart = "[Content_Types].xml";

// Content types for a package that had none: the defaults every package needs and an override
// for each part the package's relationships give a kind (sheets, styles, strings, theme,
// document properties). Throws ReadError when a relationships part cannot be read.
std::string ContentTypesFor(const ZipReader& source, const std::string& workbook_part);

// Edits the <Types> element of a content types part.
class ContentTypesEditor {
 public:
  explicit ContentTypesEditor(pugi::xml_node types) : types_(types) {}
  // Gives `part` (a part name without the leading slash) the content type `type`, changing its
  // override when the part has one already (compared as part names compare), adding one when
  // not.
  void SetOverride(const std::string& part, const char* type);

 private:
  pugi::xml_node types_;
};

}  // namespace brintova::engine::package
