// Package relationships (_rels/*.rels): which part a part points to, by id and type, with
// targets resolved to part names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brintova::engine::package {

class ZipReader;

struct Relationship {
  std::string id;
  std::string type;    // the full type URI
  std::string target;  // the resolved part name, no leading slash; the raw URI when external
  bool external = false;
};

// The relationships of `source_part` ("" for the package itself). An absent .rels part gives
// none. Throws ReadError when the part is not valid XML.
std::vector<Relationship> ReadRelationships(const ZipReader& zip, std::string_view source_part);

// "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels"; "" -> "_rels/.rels".
std::string RelationshipsPartName(std::string_view source_part);
// A target relative to the folder of `source_part` (or absolute, from the package root) as a
// part name: "worksheets/sheet1.xml" from "xl/workbook.xml" -> "xl/worksheets/sheet1.xml".
// Dot segments are resolved and %-escapes decoded.
std::string ResolveTarget(std::string_view source_part, std::string_view target);
// True when a relationship type URI ends in "/<kind>", in any of the URI families producers
// use ("…/officeDocument/2006/relationships/worksheet", "http://purl.oclc.org/…/worksheet").
bool IsType(std::string_view type, std::string_view kind);

}  // namespace brintova::engine::package
