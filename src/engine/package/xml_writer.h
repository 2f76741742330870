// Text as it goes into a package part: UTF-8, XML-escaped, with the package's _xHHHH_ escape
// for characters that XML 1.0 cannot carry (control characters, CR, lone surrogates).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brintova::engine::package {

// Element content. "_x0041_" written literally gets its underscore escaped ("_x005F_x0041_")
// so that a reader does not decode it.
void AppendXmlText(std::string& out, std::u16string_view text);
// Attribute value in double quotes: as element content, and " escaped too; tab and line feed
// are escaped as well because attribute normalisation would turn them into spaces.
void AppendXmlAttribute(std::string& out, std::u16string_view text);
// Same for text already in UTF-8 (names we make ourselves).
void AppendXmlAttributeUtf8(std::string& out, std::string_view utf8);

// True when the text starts or ends with white space (or holds a line break), which a <t>
// element keeps only with xml:space="preserve".
bool NeedsSpacePreserved(std::u16string_view text);

// Appends "A1" style reference for a 1-based row and column.
void AppendCellReference(std::string& out, std::int32_t row, std::int32_t column);

}  // namespace brintova::engine::package
