// Writing a workbook into a copy of the package it came from, taken from the bytes read when it
// was opened. The small XML parts that change (workbook, its relationships, content types,
// styles) are edited as documents, which keeps everything in them that this program does not
// understand; all other parts are copied as their stored bytes, except a sheet that loses its
// selection to the result sheet.
#include "engine/package/package_writer.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string_view>

#include "engine/package/content_types_writer.h"
#include "engine/package/edited_part.h"
#include "engine/package/read_error.h"
#include "engine/package/relationships.h"
#include "engine/package/sheet_selection.h"
#include "engine/package/styles_editing.h"
#include "engine/package/worksheet_writer.h"
#include "engine/package/zip_reader.h"
#include "engine/package/zip_writer.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::engine::package {

namespace {

constexpr const char* kWorksheetContentType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
constexpr const char* kStylesContentType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string FolderOfPart(const std::string& part) {
  const auto slash = part.rfind('/');
  return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

// The entry of a part the reader found, found the same way. Throws ReadError.
std::size_t Entry(const ZipReader& source, const std::string& part) {
  const auto index = source.Find(part);
  if (!index) throw ReadError{"part " + part + " is missing from the package"};
  return *index;
}

// Sets the attribute holding a 0-based sheet position to that sheet's new position.
void ShiftPosition(pugi::xml_node node, const char* attribute, const std::vector<int>& moved,
                   bool write_default) {
  pugi::xml_attribute a = node.attribute(attribute);
  if (!a && !write_default) return;
  const unsigned old_position = a ? ParseUnsigned(a.value(), 0) : 0;
  if (old_position >= moved.size()) return;
  if (!a) {
    if (moved[old_position] == static_cast<int>(old_position)) return;
    a = node.append_attribute(attribute);
  }
  a.set_value(moved[old_position]);
}

// Sheet ids for new sheets: one past the largest in the file, or, once that is the largest an
// id can be (4294967295), the smallest one no sheet has.
class SheetIds {
 public:
  void Add(std::uint32_t id) {
    used_.insert(id);
    largest_ = std::max(largest_, id);
  }
  std::uint32_t Next() {
    std::uint32_t id = largest_ < UINT32_MAX ? largest_ + 1 : 1;
    while (used_.contains(id)) ++id;
    Add(id);
    return id;
  }

 private:
  std::set<std::uint32_t> used_;
  std::uint32_t largest_ = 0;
};

struct NewPart {
  const model::Sheet* sheet;
  std::string part;    // "xl/worksheets/sheet4.xml"
  std::string target;  // relative to the workbook part: "worksheets/sheet4.xml"
  std::string id;
  std::uint32_t sheet_id;
};

// Makes `position` the active tab of every window of the workbook (adding a window when the
// part has none), and keeps it in the visible part of the tab strip.
void Activate(pugi::xml_node workbook_root, pugi::xml_node sheets, std::size_t position) {
  pugi::xml_node views = MainChild(workbook_root, "bookViews");
  if (!views) {
    if (position == 0) return;  // the first tab is active by default
    views =
        workbook_root.insert_child_before(SamePrefix(sheets.name(), "bookViews").c_str(), sheets);
    views.append_child(SamePrefix(sheets.name(), "workbookView").c_str());
  }
  for (pugi::xml_node view : views.children()) {
    if (!IsMainElement(view, "workbookView")) continue;
    if (!view.attribute("activeTab")) view.append_attribute("activeTab");
    view.attribute("activeTab").set_value(static_cast<unsigned>(position));
    if (pugi::xml_attribute first = view.attribute("firstSheet");
        first && ParseUnsigned(first.value(), 0) > position) {
      first.set_value(static_cast<unsigned>(position));
    }
  }
}

void WriteCopy(const model::Workbook& book, const PackageKind& kind, const ZipReader& source,
               const std::string& native_target, const std::string& shown_target) {
  const std::string workbook_part = book.source().package.workbook_part.empty()
                                        ? std::string("xl/workbook.xml")
                                        : book.source().package.workbook_part;
  const std::string rels_part = RelationshipsPartName(workbook_part);
  const std::size_t workbook_entry = Entry(source, workbook_part);
  const std::size_t rels_entry = Entry(source, rels_part);
  const std::optional<std::size_t> types_entry = source.Find(kContentTypesPart);

  // A package without content types (which the reader accepts) gets them.
  EditedPart content_types =
      types_entry ? EditedPart(source, *types_entry)
                  : EditedPart(kContentTypesPart, ContentTypesFor(source, workbook_part));
  EditedPart workbook(source, workbook_entry);
  EditedPart rels(source, rels_entry);

  // Macros go only into a macro-enabled package.
  if (!kind.macro_enabled) {
    for (std::size_t i = 0; i < source.EntryCount(); ++i) {
      if (Lower(source.EntryName(i)).ends_with("vbaproject.bin")) {
        throw Failure(std::string("Cannot save this workbook as ") + kind.extension +
                      ": it holds macros, which only .xlsm and .xltm files keep.");
      }
    }
  }

  pugi::xml_node workbook_root = workbook.root();
  const bool strict = ElementNamespace(workbook_root) == StrictNamespaces().main;
  const PackageNamespaces& ns = strict ? StrictNamespaces() : TransitionalNamespaces();

  // The sheets of the file, by relationship id, counted as the reader counts them.
  pugi::xml_node sheets = MainChild(workbook_root, "sheets");
  if (!sheets) throw ReadError{"the workbook part " + workbook_part + " lists no sheets"};
  std::vector<pugi::xml_node> file_sheets;
  std::map<std::string, int> position_of_id;
  SheetIds sheet_ids;
  for (pugi::xml_node s : sheets.children()) {
    if (!IsMainElement(s, "sheet")) continue;
    const pugi::xml_attribute id = RelationshipId(s);
    position_of_id[id ? id.value() : ""] = static_cast<int>(file_sheets.size());
    sheet_ids.Add(ParseUnsigned(s.attribute("sheetId").value(), 0));
    file_sheets.push_back(s);
  }

  // Where each sheet of the file goes, and which model sheets need new parts.
  std::vector<int> moved(file_sheets.size(), -1);
  std::vector<const model::Sheet*> new_sheets;
  for (std::size_t i = 0; i < book.SheetCount(); ++i) {
    const model::Sheet& sheet = book.sheet(i);
    if (sheet.part_name().empty()) {
      new_sheets.push_back(&sheet);
      continue;
    }
    const auto found = position_of_id.find(sheet.relationship_id());
    if (found == position_of_id.end()) {
      throw Failure("Cannot save: sheet \"" + ToUtf8(sheet.name()) +
                    "\" is no longer listed in the workbook it was opened from.");
    }
    if (sheet.changed()) {
      throw Failure("Cannot save: sheet \"" + ToUtf8(sheet.name()) +
                    "\" of the original workbook was changed, and only sheets added since "
                    "opening can be written into a copy of it.");
    }
    moved[found->second] = static_cast<int>(i);
  }
  for (std::size_t k = 0; k < moved.size(); ++k) {
    if (moved[k] < 0) {
      throw Failure("Cannot save: sheet \"" +
                    std::string(file_sheets[k].attribute("name").value()) +
                    "\" of the original workbook was removed, which saving does not support.");
    }
  }

  // Names for the new parts and relationships.
  std::set<std::string> taken_parts;
  for (std::size_t i = 0; i < source.EntryCount(); ++i) {
    taken_parts.insert(FoldPartName(source.EntryName(i)));
  }
  std::set<std::string> taken_ids;
  pugi::xml_node rels_root = rels.root();
  for (pugi::xml_node r : rels_root.children()) {
    if (r.type() == pugi::node_element) taken_ids.insert(r.attribute("Id").value());
  }
  unsigned id_number = 1;
  auto next_relationship_id = [&] {
    for (;; ++id_number) {
      std::string id = "rId" + std::to_string(id_number);
      if (taken_ids.insert(id).second) return id;
    }
  };
  const std::string workbook_folder = FolderOfPart(workbook_part);
  std::vector<NewPart> new_parts;
  unsigned part_number = 1;
  for (const model::Sheet* sheet : new_sheets) {
    NewPart p{sheet, {}, {}, {}, sheet_ids.Next()};
    for (;; ++part_number) {
      p.target = "worksheets/sheet" + std::to_string(part_number) + ".xml";
      p.part = workbook_folder + p.target;
      if (taken_parts.insert(FoldPartName(p.part)).second) break;
    }
    p.id = next_relationship_id();
    new_parts.push_back(std::move(p));
  }

  // Styles: the file's part extended when styles were added, or a new part holding the whole
  // table when the file has none to extend.
  std::string styles_part = book.source().package.styles_part;
  std::optional<EditedPart> styles;
  std::optional<std::size_t> styles_entry;
  std::string fresh_styles;
  std::vector<std::uint32_t> style_index;
  const bool styles_added = book.styles().StyleCount() > book.styles().original_style_count();
  if (styles_added && !styles_part.empty()) styles_entry = source.Find(styles_part);
  if (styles_entry) {
    styles.emplace(source, *styles_entry);
    style_index = AddStyles(book.styles(), styles->root());
  } else if (styles_added) {
    for (unsigned n = 1;; ++n) {
      styles_part =
          workbook_folder + (n == 1 ? "styles.xml" : "styles" + std::to_string(n) + ".xml");
      if (taken_parts.insert(FoldPartName(styles_part)).second) break;
    }
    fresh_styles = WriteStylesXml(book.styles());
  }

  // The workbook part: sheets in the new order, positions shifted.
  const std::string sheet_element =
      SamePrefix(file_sheets.empty() ? sheets.name() : file_sheets[0].name(), "sheet");
  std::string rel_prefix;
  for (pugi::xml_attribute a : workbook_root.attributes()) {
    const std::string name = a.name();
    if (name.starts_with("xmlns:") && ns.relationships == std::string_view(a.value())) {
      rel_prefix = name.substr(6);
      break;
    }
  }
  std::vector<pugi::xml_node> ordered(book.SheetCount());
  for (std::size_t k = 0; k < file_sheets.size(); ++k) {
    ordered[moved[k]] = sheets.append_move(file_sheets[k]);
  }
  std::size_t new_index = 0;
  for (std::size_t i = 0; i < book.SheetCount(); ++i) {
    const model::Sheet& sheet = book.sheet(i);
    if (!sheet.part_name().empty()) {
      if (sheet.name() != ToUtf16(ordered[i].attribute("name").value())) {
        ordered[i].attribute("name").set_value(ToUtf8(sheet.name()).c_str());
      }
      continue;
    }
    const NewPart& p = new_parts[new_index++];
    pugi::xml_node s = sheets.append_child(sheet_element.c_str());
    s.append_attribute("name").set_value(ToUtf8(sheet.name()).c_str());
    s.append_attribute("sheetId").set_value(p.sheet_id);
    if (sheet.visibility() == model::Visibility::kHidden) {
      s.append_attribute("state").set_value("hidden");
    }
    if (sheet.visibility() == model::Visibility::kVeryHidden) {
      s.append_attribute("state").set_value("veryHidden");
    }
    if (rel_prefix.empty()) {
      s.append_attribute("xmlns:r").set_value(ns.relationships);
      s.append_attribute("r:id").set_value(p.id.c_str());
    } else {
      s.append_attribute((rel_prefix + ":id").c_str()).set_value(p.id.c_str());
    }
    ordered[i] = s;
  }
  // Put the sheet elements in tab order (they were appended in file order first).
  for (pugi::xml_node s : ordered) sheets.append_move(s);

  if (pugi::xml_node names = MainChild(workbook_root, "definedNames")) {
    for (pugi::xml_node n : names.children()) {
      if (IsMainElement(n, "definedName")) ShiftPosition(n, "localSheetId", moved, false);
    }
  }
  // A sheet inserted since opening is the active one, as in the application, and the only
  // selected one; otherwise the file's active sheet stays active where it moved.
  const model::Sheet* active = book.activated_sheet();
  std::map<std::size_t, DeflatedPart> deselected;  // entry -> the part without its selection
  if (active != nullptr && !active->part_name().empty()) active = nullptr;
  if (active != nullptr) {
    Activate(workbook_root, sheets, book.IndexOf(*active));
    for (std::size_t i = 0; i < book.SheetCount(); ++i) {
      const model::Sheet& sheet = book.sheet(i);
      if (sheet.part_name().empty()) continue;
      const std::size_t entry = Entry(source, sheet.part_name());
      if (auto part = DeselectedSheetPart(source, entry)) deselected[entry] = std::move(*part);
    }
  } else if (pugi::xml_node views = MainChild(workbook_root, "bookViews")) {
    for (pugi::xml_node v : views.children()) {
      if (!IsMainElement(v, "workbookView")) continue;
      ShiftPosition(v, "activeTab", moved, true);
      // The tab strip keeps starting at the first tab unless it was scrolled.
      if (ParseUnsigned(v.attribute("firstSheet").value(), 0) != 0) {
        ShiftPosition(v, "firstSheet", moved, false);
      }
    }
  }

  // Relationships and content types of the new parts.
  const std::string relationship_element = SamePrefix(rels_root.name(), "Relationship");
  for (const NewPart& p : new_parts) {
    pugi::xml_node r = rels_root.append_child(relationship_element.c_str());
    r.append_attribute("Id").set_value(p.id.c_str());
    r.append_attribute("Type").set_value(ns.worksheet_relationship);
    r.append_attribute("Target").set_value(p.target.c_str());
  }
  ContentTypesEditor types(content_types.root());
  for (const NewPart& p : new_parts) types.SetOverride(p.part, kWorksheetContentType);
  if (!fresh_styles.empty()) {
    types.SetOverride(styles_part, kStylesContentType);
    // A styles relationship whose part is missing now leads to the new part: a workbook has
    // one styles part, and a second relationship to one would make the package invalid.
    pugi::xml_node styles_relationship;
    for (pugi::xml_node r : rels_root.children()) {
      if (IsMainElement(r, "Relationship") && IsType(r.attribute("Type").value(), "styles")) {
        styles_relationship = r;
        break;
      }
    }
    if (!styles_relationship) {
      styles_relationship = rels_root.append_child(relationship_element.c_str());
      styles_relationship.append_attribute("Id").set_value(next_relationship_id().c_str());
      styles_relationship.append_attribute("Type").set_value(ns.styles_relationship);
      styles_relationship.append_attribute("Target");
    }
    styles_relationship.remove_attribute("TargetMode");
    styles_relationship.attribute("Target").set_value(
        styles_part.substr(workbook_folder.size()).c_str());
  }
  types.SetOverride(workbook_part, kind.workbook_content_type);

  // The package: the source's entries in their order, edited ones replaced, new ones last.
  ZipWriter zip(native_target, shown_target);
  for (std::size_t i = 0; i < source.EntryCount(); ++i) {
    const std::string& name = source.EntryName(i);
    if (types_entry && i == *types_entry) {
      zip.AddPart(name, content_types.Serialize());
    } else if (i == workbook_entry) {
      zip.AddPart(name, workbook.Serialize());
    } else if (i == rels_entry) {
      zip.AddPart(name, rels.Serialize());
    } else if (styles && i == *styles_entry) {
      zip.AddPart(name, styles->Serialize());
    } else if (auto edited = deselected.find(i); edited != deselected.end()) {
      zip.AddDeflatedPart(name, std::move(edited->second));
    } else {
      zip.CopyEntry(source, i);
    }
  }
  if (!types_entry) zip.AddPart(kContentTypesPart, content_types.Serialize());
  if (!fresh_styles.empty()) zip.AddPart(styles_part, std::move(fresh_styles));
  for (const NewPart& p : new_parts) {
    zip.AddDeflatedPart(p.part,
                        DeflateWorksheetXml(book, *p.sheet, ns, style_index, p.sheet == active));
  }
  zip.Close();
}

}  // namespace

void WritePackageFromSource(const model::Workbook& book, const PackageKind& kind,
                            const std::string& native_target, const std::string& shown_target) {
  const auto& bytes = book.source().package_bytes;
  if (!bytes) {
    throw Failure("Cannot save \"" + shown_target +
                  "\": the workbook it came from was not kept when it was opened.");
  }
  try {
    ZipReader source;
    source.OpenBytes(bytes);
    WriteCopy(book, kind, source, native_target, shown_target);
  } catch (const ReadError& error) {
    throw Failure("Cannot save \"" + shown_target + "\": " + error.description + ".");
  }
}

}  // namespace brintova::engine::package
