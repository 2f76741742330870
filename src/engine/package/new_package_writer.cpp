// Writing a workbook as a new package: for new workbooks and for workbooks read from legacy
// binary or text files, which have no package to copy from.
#include <string>

#include "engine/package/package_writer.h"
#include "engine/package/worksheet_writer.h"
#include "engine/package/xml_writer.h"
#include "engine/package/zip_writer.h"

namespace brintova::engine::package {

void WriteNewPackage(const model::Workbook& book, const PackageKind& kind,
                     const std::string& native_target, const std::string& shown_target) {
  const PackageNamespaces& ns = TransitionalNamespaces();
  // The active sheet is the one inserted since opening, else the first visible one; a workbook
  // needs one, so the first sheet is shown when every sheet is hidden.
  std::size_t active = 0;
  bool any_visible = false;
  for (std::size_t i = 0; i < book.SheetCount(); ++i) {
    if (book.sheet(i).visibility() == model::Visibility::kVisible) {
      if (!any_visible) active = i;
      any_visible = true;
    }
  }
  if (const model::Sheet* activated = book.activated_sheet()) active = book.IndexOf(*activated);

  std::string types =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Types "
      "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" "
      "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Override PartName=\"/xl/workbook.xml\" ContentType=\"";
  types += kind.workbook_content_type;
  types +=
      "\"/><Override PartName=\"/xl/styles.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>";
  std::string workbook =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<workbook xmlns=\"";
  workbook += ns.main;
  workbook += "\" xmlns:r=\"";
  workbook += ns.relationships;
  workbook += "\">";
  workbook += book.date1904() ? "<workbookPr date1904=\"1\"/>" : "<workbookPr/>";
  workbook +=
      "<bookViews><workbookView activeTab=\"" + std::to_string(active) + "\"/></bookViews><sheets>";
  std::string rels =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Relationships "
      "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  for (std::size_t i = 0; i < book.SheetCount(); ++i) {
    const model::Sheet& sheet = book.sheet(i);
    const std::string n = std::to_string(i + 1);
    types += "<Override PartName=\"/xl/worksheets/sheet" + n +
             ".xml\" ContentType=\"application/"
             "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
    workbook += "<sheet name=\"";
    AppendXmlAttribute(workbook, sheet.name());
    workbook += "\" sheetId=\"" + n + "\"";
    if (any_visible && sheet.visibility() == model::Visibility::kHidden) {
      workbook += " state=\"hidden\"";
    } else if (any_visible && sheet.visibility() == model::Visibility::kVeryHidden) {
      workbook += " state=\"veryHidden\"";
    }
    workbook += " r:id=\"rId" + n + "\"/>";
    rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + ns.worksheet_relationship +
            "\" Target=\"worksheets/sheet" + n + ".xml\"/>";
  }
  types += "</Types>";
  workbook += "</sheets></workbook>";
  rels += "<Relationship Id=\"rId" + std::to_string(book.SheetCount() + 1) + "\" Type=\"" +
          ns.styles_relationship + "\" Target=\"styles.xml\"/></Relationships>";
  const std::string package_rels =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Relationships "
      "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
      "Id=\"rId1\" "
      "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
      "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";

  ZipWriter zip(native_target, shown_target);
  zip.AddPart("[Content_Types].xml", std::move(types));
  zip.AddPart("_rels/.rels", package_rels);
  zip.AddPart("xl/workbook.xml", std::move(workbook));
  zip.AddPart("xl/_rels/workbook.xml.rels", std::move(rels));
  zip.AddPart("xl/styles.xml", WriteStylesXml(book.styles()));
  for (std::size_t i = 0; i < book.SheetCount(); ++i) {
    zip.AddDeflatedPart("xl/worksheets/sheet" + std::to_string(i + 1) + ".xml",
                        DeflateWorksheetXml(book, book.sheet(i), ns, {}, i == active));
  }
  zip.Close();
}

}  // namespace brintova::engine::package
