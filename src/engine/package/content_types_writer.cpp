// Writing content types for a saved package.
#include "engine/package/content_types_writer.h"

#include <set>
#include <utility>
#include <vector>

#include "engine/package/edited_part.h"
#include "engine/package/relationships.h"
#include "engine/package/xml_writer.h"
#include "engine/package/zip_reader.h"

namespace brintova::engine::package {

std::string ContentTypesFor(const ZipReader& source, const std::string& workbook_part) {
  static constexpr std::pair<std::string_view, const char*> kTypes[] = {
      {"worksheet", "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"},
      {"chartsheet", "application/vnd.openxmlformats-officedocument.spreadsheetml.chartsheet+xml"},
      {"dialogsheet",
       "application/vnd.openxmlformats-officedocument.spreadsheetml.dialogsheet+xml"},
      {"xlMacrosheet", "application/vnd.ms-excel.macrosheet+xml"},
      {"styles", "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"},
      {"sharedStrings",
       "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"},
      {"theme", "application/vnd.openxmlformats-officedocument.theme+xml"},
      {"core-properties", "application/vnd.openxmlformats-package.core-properties+xml"},
      {"extended-properties",
       "application/vnd.openxmlformats-officedocument.extended-properties+xml"},
  };
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Types "
      "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" "
      "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Default Extension=\"png\" ContentType=\"image/png\"/>"
      "<Default Extension=\"jpeg\" ContentType=\"image/jpeg\"/>"
      "<Default Extension=\"vml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.vmlDrawing\"/>"
      "<Default Extension=\"bin\" ContentType=\"application/vnd.ms-office.vbaProject\"/>";
  std::vector<Relationship> relationships = ReadRelationships(source, "");
  for (Relationship& r : ReadRelationships(source, workbook_part)) {
    relationships.push_back(std::move(r));
  }
  std::set<std::string> typed;
  for (const Relationship& r : relationships) {
    if (r.external || !source.Has(r.target)) continue;
    for (const auto& [kind, type] : kTypes) {
      if (!IsType(r.type, kind) || !typed.insert(FoldPartName(r.target)).second) continue;
      out += "<Override PartName=\"/";
      AppendXmlAttributeUtf8(out, r.target);
      out += "\" ContentType=\"";
      out += type;
      out += "\"/>";
    }
  }
  out += "</Types>";
  return out;
}

void ContentTypesEditor::SetOverride(const std::string& part, const char* type) {
  const std::string folded = FoldPartName(part);
  for (pugi::xml_node o : types_.children()) {
    if (IsMainElement(o, "Override") && FoldPartName(o.attribute("PartName").value()) == folded) {
      if (!o.attribute("ContentType")) o.append_attribute("ContentType");
      o.attribute("ContentType").set_value(type);
      return;
    }
  }
  pugi::xml_node o = types_.append_child(SamePrefix(types_.name(), "Override").c_str());
  o.append_attribute("PartName").set_value(("/" + part).c_str());
  o.append_attribute("ContentType").set_value(type);
}

}  // namespace brintova::engine::package
