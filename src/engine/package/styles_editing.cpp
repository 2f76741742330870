// Adding styles to a copy of the styles part.
#include "engine/package/styles_editing.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "engine/package/edited_part.h"
#include "platform/text.h"

namespace brintova::engine::package {

std::vector<std::uint32_t> AddStyles(const model::StyleTable& styles, pugi::xml_node sheet) {
  pugi::xml_node cell_xfs = MainChild(sheet, "cellXfs");
  std::vector<pugi::xml_node> xfs;
  if (cell_xfs) {
    for (pugi::xml_node x : cell_xfs.children()) {
      if (IsMainElement(x, "xf")) xfs.push_back(x);
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
      if (pugi::xml_node n = MainChild(sheet, local)) after = n;
    }
    cell_xfs = after ? sheet.insert_child_after((p + "cellXfs").c_str(), after)
                     : sheet.prepend_child((p + "cellXfs").c_str());
  }
  // Number formats added since opening get a numFmt entry under an id the file does not use.
  pugi::xml_node num_fmts = MainChild(sheet, "numFmts");
  std::set<unsigned> used_ids;
  unsigned next_id = 164;
  if (num_fmts) {
    for (pugi::xml_node f : num_fmts.children()) {
      if (!IsMainElement(f, "numFmt")) continue;
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
    for (pugi::xml_node f : num_fmts.children()) count += IsMainElement(f, "numFmt");
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

}  // namespace brintova::engine::package
