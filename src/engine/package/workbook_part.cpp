// Reading the workbook part.
#include "engine/package/workbook_part.h"

#include <charconv>
#include <cstring>

#include "engine/package/xml_reader.h"
#include "engine/package/zip_reader.h"

namespace brintova::engine::package {

bool XmlBoolean(const char* value) {
  if (value == nullptr) return false;
  const std::string_view v(value);
  return v == "1" || v == "true" || v == "True" || v == "TRUE";
}

namespace {

// Elements count only in their own place: a <sheet> inside an extension list is no sheet.
class WorkbookHandler : public XmlHandler {
 public:
  explicit WorkbookHandler(WorkbookPart& out) : out_(out) {}

  void Start(std::string_view name, const XmlAttributes& attributes) override {
    if (path().depth() == 2 && name == "workbookPr" && path().Is({"workbook", "workbookPr"})) {
      out_.date1904 = XmlBoolean(attributes.Get("date1904"));
    } else if (path().depth() == 3 && name == "sheet" &&
               path().Is({"workbook", "sheets", "sheet"})) {
      SheetEntry entry;
      if (const char* sheet_name = attributes.Get("name")) AppendUtf8(entry.name, sheet_name);
      if (const char* id = attributes.Get("sheetId")) {
        std::from_chars(id, id + std::strlen(id), entry.sheet_id);
      }
      if (const char* rid = attributes.GetRelationshipId()) entry.relationship_id = rid;
      if (const char* state = attributes.Get("state")) {
        const std::string_view s(state);
        if (s == "hidden") entry.visibility = model::Visibility::kHidden;
        if (s == "veryHidden") entry.visibility = model::Visibility::kVeryHidden;
      }
      out_.sheets.push_back(std::move(entry));
    } else if (path().depth() == 3 && name == "definedName" &&
               path().Is({"workbook", "definedNames", "definedName"})) {
      in_name_ = true;
      model::DefinedName defined;
      if (const char* n = attributes.Get("name")) AppendUtf8(defined.name, n);
      if (const char* local = attributes.Get("localSheetId")) {
        std::from_chars(local, local + std::strlen(local), defined.local_sheet);
      }
      defined.hidden = XmlBoolean(attributes.Get("hidden"));
      out_.names.push_back(std::move(defined));
    }
  }
  void End(std::string_view) override {
    if (path().depth() == 3) in_name_ = false;
  }
  void Text(std::string_view text) override {
    // A formula holds at most 8,192 characters; more is kept to the cell's limit, no further.
    if (!in_name_ || path().depth() != 3) return;
    std::u16string& formula = out_.names.back().formula;
    if (formula.size() < model::kMaxCellText) {
      AppendUtf8(formula, text);
      model::CutCellText(formula);
    }
  }

 private:
  WorkbookPart& out_;
  bool in_name_ = false;
};

}  // namespace

WorkbookPart ReadWorkbookPart(const ZipReader& zip, std::string_view part_name) {
  WorkbookPart part;
  WorkbookHandler handler(part);
  ParseXmlPart(zip, part_name, handler);
  return part;
}

}  // namespace brintova::engine::package
