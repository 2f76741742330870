// Writing a workbook into a copy of the package it came from. The small XML parts that change
// (workbook, its relationships, content types, styles) are edited as documents, which keeps
// everything in them that this program does not understand; all other parts are copied as
// stored bytes.
#include "engine/package/package_writer.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <pugixml.hpp>
#include <set>
#include <string_view>

#include "engine/package/worksheet_writer.h"
#include "engine/package/zip_writer.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::engine::package {

namespace {

constexpr const char* kWorksheetContentType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
constexpr const char* kStylesContentType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";
constexpr const char* kContentTypesPart = "[Content_Types].xml";

struct StringWriter : pugi::xml_writer {
  std::string out;
  void write(const void* data, size_t size) override {
    out.append(static_cast<const char*>(data), size);
  }
};

std::string_view LocalName(const char* qualified) {
  const char* colon = std::strchr(qualified, ':');
  return colon ? std::string_view(colon + 1) : std::string_view(qualified);
}

std::string PrefixOf(const char* qualified) {
  const char* colon = std::strchr(qualified, ':');
  return colon ? std::string(qualified, colon - qualified) : std::string();
}

// The namespace bound to `prefix` ("" for the default namespace) where `node` stands.
std::string NamespaceOf(pugi::xml_node node, const std::string& prefix) {
  const std::string attribute = prefix.empty() ? "xmlns" : "xmlns:" + prefix;
  for (; node; node = node.parent()) {
    if (node.type() != pugi::node_element) continue;
    if (pugi::xml_attribute a = node.attribute(attribute.c_str())) return a.value();
  }
  return {};
}

pugi::xml_node Child(pugi::xml_node parent, std::string_view local) {
  for (pugi::xml_node c : parent.children()) {
    if (c.type() == pugi::node_element && LocalName(c.name()) == local) return c;
  }
  return {};
}

// The attribute `local` of `node` in namespace `ns`.
pugi::xml_attribute NamespacedAttribute(pugi::xml_node node, std::string_view local,
                                        const std::string& ns) {
  for (pugi::xml_attribute a : node.attributes()) {
    const std::string prefix = PrefixOf(a.name());
    if (!prefix.empty() && prefix != "xmlns" && LocalName(a.name()) == local &&
        NamespaceOf(node, prefix) == ns) {
      return a;
    }
  }
  return {};
}

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

std::string RelationshipsPartOf(const std::string& part) {
  const auto slash = part.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? part : part.substr(slash + 1);
  return folder + "_rels/" + name + ".rels";
}

// A small XML part loaded for editing.
class EditedPart {
 public:
  EditedPart(const SourcePackage& source, const std::string& part) : name_(part) {
    const std::int64_t index = source.Find(part);
    if (index < 0) {
      throw Failure("Cannot save: part " + part + " of \"" + source.path() + "\" is missing now.");
    }
    const std::string text = source.Read(index);
    const pugi::xml_parse_result result = document_.load_buffer(
        text.data(), text.size(), pugi::parse_full | pugi::parse_ws_pcdata, pugi::encoding_auto);
    if (!result) {
      throw Failure("Cannot save: part " + part + " is not valid XML (" + result.description() +
                    " at byte " + std::to_string(result.offset) + ").");
    }
    // The part is written back as UTF-8 whatever it was read as.
    for (pugi::xml_node n : document_.children()) {
      if (n.type() == pugi::node_declaration && n.attribute("encoding")) {
        n.attribute("encoding").set_value("UTF-8");
      }
    }
  }
  pugi::xml_node root() const { return document_.document_element(); }
  const std::string& name() const { return name_; }
  std::string Serialize() const {
    StringWriter writer;
    document_.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return std::move(writer.out);
  }

 private:
  std::string name_;
  pugi::xml_document document_;
};

unsigned ParseUnsigned(const char* text, unsigned fallback) {
  if (text == nullptr || *text == '\0') return fallback;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text, &end, 10);
  return *end == '\0' ? static_cast<unsigned>(value) : fallback;
}

// Edits styles.xml for the styles added since opening. Returns the file's cellXfs position of
// each model style.
std::vector<std::uint32_t> AddStyles(const model::StyleTable& styles, pugi::xml_node sheet) {
  pugi::xml_node cell_xfs = Child(sheet, "cellXfs");
  std::vector<pugi::xml_node> xfs;
  if (cell_xfs) {
    for (pugi::xml_node x : cell_xfs.children()) {
      if (x.type() == pugi::node_element && LocalName(x.name()) == "xf") xfs.push_back(x);
    }
  }
  const std::uint32_t original = styles.original_style_count();
  std::vector<std::uint32_t> index(styles.StyleCount());
  for (std::uint32_t i = 0; i < styles.StyleCount() && i < original; ++i) {
    index[i] = i < xfs.size() ? i : 0;
  }
  if (styles.StyleCount() <= original) return index;

  const std::string prefix = PrefixOf(sheet.name());
  const std::string p = prefix.empty() ? "" : prefix + ":";
  if (!cell_xfs) {
    // cellXfs follows numFmts, fonts, fills, borders and cellStyleXfs.
    pugi::xml_node after;
    for (const char* local : {"numFmts", "fonts", "fills", "borders", "cellStyleXfs"}) {
      if (pugi::xml_node n = Child(sheet, local)) after = n;
    }
    cell_xfs = after ? sheet.insert_child_after((p + "cellXfs").c_str(), after)
                     : sheet.prepend_child((p + "cellXfs").c_str());
  }
  // Number formats added since opening get a numFmt entry under an id the file does not use.
  pugi::xml_node num_fmts = Child(sheet, "numFmts");
  std::set<unsigned> used_ids;
  unsigned next_id = 164;
  if (num_fmts) {
    for (pugi::xml_node f : num_fmts.children()) {
      if (f.type() != pugi::node_element) continue;
      const unsigned id = ParseUnsigned(f.attribute("numFmtId").value(), 0);
      used_ids.insert(id);
      next_id = std::max(next_id, id + 1);
    }
  }
  std::map<std::uint32_t, unsigned> format_id;  // model format index -> numFmtId
  for (std::uint32_t i = styles.original_format_count(); i < styles.formats().size(); ++i) {
    const auto& format = styles.formats()[i];
    if (format.id < 164) {
      format_id[i] = format.id;
      continue;
    }
    unsigned id = format.id;
    if (used_ids.count(id) != 0) id = next_id;
    used_ids.insert(id);
    next_id = std::max(next_id, id + 1);
    format_id[i] = id;
    if (!num_fmts) num_fmts = sheet.prepend_child((p + "numFmts").c_str());
    pugi::xml_node f = num_fmts.append_child((p + "numFmt").c_str());
    f.append_attribute("numFmtId").set_value(id);
    f.append_attribute("formatCode").set_value(ToUtf8(format.code).c_str());
  }
  if (num_fmts) {
    unsigned count = 0;
    for (pugi::xml_node f : num_fmts.children()) count += f.type() == pugi::node_element;
    if (!num_fmts.attribute("count")) num_fmts.append_attribute("count");
    num_fmts.attribute("count").set_value(count);
  }

  auto next_position = static_cast<std::uint32_t>(xfs.size());
  for (std::uint32_t k = original; k < styles.StyleCount(); ++k) {
    const model::CellStyle& style = styles.Style(k);
    const auto& format = styles.formats()[style.number_format];
    const unsigned id = style.number_format >= styles.original_format_count()
                            ? format_id[style.number_format]
                            : format.id;
    pugi::xml_node xf;
    if (style.derived_from < xfs.size()) {
      xf = cell_xfs.append_copy(xfs[style.derived_from]);
    } else {
      xf = cell_xfs.append_child((p + "xf").c_str());
      for (const char* a : {"numFmtId", "fontId", "fillId", "borderId", "xfId"}) {
        xf.append_attribute(a).set_value(0);
      }
    }
    if (!xf.attribute("numFmtId")) xf.append_attribute("numFmtId");
    xf.attribute("numFmtId").set_value(id);
    if (!xf.attribute("applyNumberFormat")) xf.append_attribute("applyNumberFormat");
    xf.attribute("applyNumberFormat").set_value(1);
    index[k] = next_position++;
  }
  if (!cell_xfs.attribute("count")) cell_xfs.append_attribute("count");
  cell_xfs.attribute("count").set_value(next_position);
  return index;
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

}  // namespace

void WritePackageFromSource(const model::Workbook& book, const PackageKind& kind,
                            const std::string& native_target) {
  const std::string source_path = NativePathFromText(book.source().path);
  SourcePackage source(source_path);
  const std::string workbook_part = book.source().package.workbook_part.empty()
                                        ? std::string("xl/workbook.xml")
                                        : book.source().package.workbook_part;
  const std::string rels_part = RelationshipsPartOf(workbook_part);

  EditedPart content_types(source, kContentTypesPart);
  EditedPart workbook(source, workbook_part);
  EditedPart rels(source, rels_part);

  // Macros go only into a macro-enabled package.
  if (!kind.macro_enabled) {
    for (std::int64_t i = 0; i < source.EntryCount(); ++i) {
      if (Lower(source.EntryName(i)).ends_with("vbaproject.bin")) {
        throw Failure(std::string("Cannot save this workbook as ") + kind.extension +
                      ": it holds macros, which only .xlsm and .xltm files keep.");
      }
    }
  }

  pugi::xml_node workbook_root = workbook.root();
  const bool strict =
      NamespaceOf(workbook_root, PrefixOf(workbook_root.name())) == StrictNamespaces().main;
  const PackageNamespaces& ns = strict ? StrictNamespaces() : TransitionalNamespaces();

  // The sheets of the file, by relationship id.
  pugi::xml_node sheets = Child(workbook_root, "sheets");
  if (!sheets)
    throw Failure("Cannot save: the workbook part " + workbook_part + " lists no sheets.");
  std::vector<pugi::xml_node> file_sheets;
  std::map<std::string, int> position_of_id;
  unsigned max_sheet_id = 0;
  for (pugi::xml_node s : sheets.children()) {
    if (s.type() != pugi::node_element || LocalName(s.name()) != "sheet") continue;
    const pugi::xml_attribute id = NamespacedAttribute(s, "id", ns.relationships);
    position_of_id[id ? id.value() : ""] = static_cast<int>(file_sheets.size());
    max_sheet_id = std::max(max_sheet_id, ParseUnsigned(s.attribute("sheetId").value(), 0));
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
  for (std::int64_t i = 0; i < source.EntryCount(); ++i)
    taken_parts.insert(Lower(source.EntryName(i)));
  std::set<std::string> taken_ids;
  pugi::xml_node rels_root = rels.root();
  for (pugi::xml_node r : rels_root.children()) {
    if (r.type() == pugi::node_element) taken_ids.insert(r.attribute("Id").value());
  }
  const std::string workbook_folder = FolderOfPart(workbook_part);
  struct NewPart {
    const model::Sheet* sheet;
    std::string part;    // "xl/worksheets/sheet4.xml"
    std::string target;  // relative to the workbook part: "worksheets/sheet4.xml"
    std::string id;
    unsigned sheet_id;
  };
  std::vector<NewPart> new_parts;
  unsigned part_number = 1;
  unsigned id_number = 1;
  for (const model::Sheet* sheet : new_sheets) {
    NewPart p{sheet, {}, {}, {}, ++max_sheet_id};
    for (;; ++part_number) {
      p.target = "worksheets/sheet" + std::to_string(part_number) + ".xml";
      p.part = workbook_folder + p.target;
      if (taken_parts.insert(Lower(p.part)).second) break;
    }
    for (;; ++id_number) {
      p.id = "rId" + std::to_string(id_number);
      if (taken_ids.insert(p.id).second) break;
    }
    new_parts.push_back(std::move(p));
  }

  // Styles: edited only when styles were added and a new sheet uses them... or any was added.
  std::string styles_part = book.source().package.styles_part;
  std::unique_ptr<EditedPart> styles;
  std::string fresh_styles;
  std::vector<std::uint32_t> style_index;
  const bool styles_added = book.styles().StyleCount() > book.styles().original_style_count();
  if (styles_added && !styles_part.empty() && source.Find(styles_part) >= 0) {
    styles = std::make_unique<EditedPart>(source, styles_part);
    style_index = AddStyles(book.styles(), styles->root());
  } else if (styles_added) {
    // No styles part to extend: the new one holds the whole table.
    styles_part.clear();
    for (unsigned n = 1;; ++n) {
      styles_part =
          workbook_folder + (n == 1 ? "styles.xml" : "styles" + std::to_string(n) + ".xml");
      if (taken_parts.insert(Lower(styles_part)).second) break;
    }
    fresh_styles = WriteStylesXml(book.styles());
  }

  // The workbook part: sheets in the new order, positions shifted.
  const std::string main_prefix =
      PrefixOf(file_sheets.empty() ? sheets.name() : file_sheets[0].name());
  const std::string sheet_element = (main_prefix.empty() ? "" : main_prefix + ":") + "sheet";
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
    if (sheet.visibility() == model::Visibility::kHidden)
      s.append_attribute("state").set_value("hidden");
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

  if (pugi::xml_node names = Child(workbook_root, "definedNames")) {
    for (pugi::xml_node n : names.children()) {
      if (n.type() == pugi::node_element) ShiftPosition(n, "localSheetId", moved, false);
    }
  }
  if (pugi::xml_node views = Child(workbook_root, "bookViews")) {
    for (pugi::xml_node v : views.children()) {
      if (v.type() != pugi::node_element) continue;
      ShiftPosition(v, "activeTab", moved, true);
      // The tab strip keeps starting at the first tab unless it was scrolled.
      if (ParseUnsigned(v.attribute("firstSheet").value(), 0) != 0) {
        ShiftPosition(v, "firstSheet", moved, false);
      }
    }
  }

  // Relationships and content types of the new parts.
  const std::string rels_prefix = PrefixOf(rels_root.name());
  const std::string relationship_element =
      (rels_prefix.empty() ? "" : rels_prefix + ":") + "Relationship";
  for (const NewPart& p : new_parts) {
    pugi::xml_node r = rels_root.append_child(relationship_element.c_str());
    r.append_attribute("Id").set_value(p.id.c_str());
    r.append_attribute("Type").set_value(ns.worksheet_relationship);
    r.append_attribute("Target").set_value(p.target.c_str());
  }
  pugi::xml_node types_root = content_types.root();
  const std::string types_prefix = PrefixOf(types_root.name());
  const std::string override_element =
      (types_prefix.empty() ? "" : types_prefix + ":") + "Override";
  auto add_override = [&](const std::string& part, const char* type) {
    pugi::xml_node o = types_root.append_child(override_element.c_str());
    o.append_attribute("PartName").set_value(("/" + part).c_str());
    o.append_attribute("ContentType").set_value(type);
  };
  for (const NewPart& p : new_parts) add_override(p.part, kWorksheetContentType);
  if (!fresh_styles.empty()) {
    add_override(styles_part, kStylesContentType);
    std::string id;
    for (;; ++id_number) {
      id = "rId" + std::to_string(id_number);
      if (taken_ids.insert(id).second) break;
    }
    pugi::xml_node r = rels_root.append_child(relationship_element.c_str());
    r.append_attribute("Id").set_value(id.c_str());
    r.append_attribute("Type").set_value(ns.styles_relationship);
    r.append_attribute("Target").set_value(styles_part.substr(workbook_folder.size()).c_str());
  }
  bool workbook_typed = false;
  for (pugi::xml_node o : types_root.children()) {
    if (o.type() != pugi::node_element || LocalName(o.name()) != "Override") continue;
    if (Lower(o.attribute("PartName").value()) == Lower("/" + workbook_part)) {
      o.attribute("ContentType").set_value(kind.workbook_content_type);
      workbook_typed = true;
    }
  }
  if (!workbook_typed) add_override(workbook_part, kind.workbook_content_type);

  // The package: the source's entries in their order, edited ones replaced, new ones last.
  ZipWriter zip(native_target);
  const std::string lower_styles = styles ? Lower(styles->name()) : std::string();
  for (std::int64_t i = 0; i < source.EntryCount(); ++i) {
    const std::string name = source.EntryName(i);
    const std::string lower = Lower(name);
    if (lower == Lower(kContentTypesPart)) {
      zip.AddPart(name, content_types.Serialize());
    } else if (lower == Lower(workbook_part)) {
      zip.AddPart(name, workbook.Serialize());
    } else if (lower == Lower(rels_part)) {
      zip.AddPart(name, rels.Serialize());
    } else if (styles && lower == lower_styles) {
      zip.AddPart(name, styles->Serialize());
    } else {
      zip.CopyEntry(source, i);
    }
  }
  if (!fresh_styles.empty()) zip.AddPart(styles_part, std::move(fresh_styles));
  for (const NewPart& p : new_parts) {
    std::string xml = WriteWorksheetXml(book, *p.sheet, ns, style_index, false);
    const int level = xml.size() > (1u << 20) ? 1 : 6;
    zip.AddPart(p.part, std::move(xml), level);
  }
  zip.Close();
}

}  // namespace brintova::engine::package
