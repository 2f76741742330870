// [Content_Types].xml: the content type of each part, by override or by file extension.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace brintova::engine::package {

class ZipReader;

class ContentTypes {
 public:
  // Reads the part when the package has one (an absent part leaves every type unknown).
  // Throws ReadError when it is not valid XML.
  void Read(const ZipReader& zip);
  // The content type of a part name (no leading slash); empty when unknown.
  std::string Of(std::string_view part_name) const;
  bool present() const { return present_; }

 private:
  bool present_ = false;
  std::map<std::string, std::string> defaults_;   // lower-case extension -> type
  std::map<std::string, std::string> overrides_;  // lower-case part name -> type
};

}  // namespace brintova::engine::package
