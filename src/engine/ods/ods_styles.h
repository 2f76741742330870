// The styles of an OpenDocument spreadsheet that displayed text depends on: data styles, the
// cell styles that name them (through their parents), and the table styles that hide a sheet.
// Collected from styles.xml and from content.xml's automatic styles; each cell style is
// resolved once into a style of the workbook's StyleTable.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>

#include "engine/model/style_table.h"
#include "engine/ods/data_style.h"
#include "engine/ods/ods_xml.h"

namespace brintova::engine::ods {

// How a cell with a given cell style shows its value.
struct CellFormat {
  std::uint32_t style = 0;  // index into the StyleTable
  Translation::Kind kind = Translation::Kind::kCode;
  bool date_time = false;  // the data style is a date or time style
};

class OdsStyles {
 public:
  explicit OdsStyles(model::StyleTable& table) : table_(table) {}

  // Elements inside office:styles or office:automatic-styles, in document order.
  void Start(const XmlName& name, const Attributes& attributes);
  void End(const XmlName& name);
  void Text(std::string_view text);

  // The format of cells with this cell style ("" for none). Call once the styles are read.
  const CellFormat& ForCellStyle(std::string_view name);
  // True when the table style hides its sheet (table:display="false").
  bool HidesTable(const std::string& table_style) const {
    return hidden_tables_.contains(table_style);
  }

 private:
  struct CellStyle {
    std::string parent;
    std::string data_style;
  };
  CellFormat Resolve(const std::string& name);
  const DataStyle* FindDataStyle(const std::string& name) const;

  model::StyleTable& table_;
  std::map<std::string, DataStyle> data_styles_;
  std::map<std::string, CellStyle> cell_styles_;
  std::string default_data_style_;
  std::set<std::string> hidden_tables_;
  std::unordered_map<std::string, CellFormat> resolved_;
  std::string last_name_;  // neighbouring cells mostly share their style
  const CellFormat* last_format_ = nullptr;
  std::map<std::u16string, std::uint32_t> style_for_code_;
  std::uint32_t next_format_id_ = 164;

  // While reading a data style: its element, the part whose text is collected.
  DataStyle* data_style_ = nullptr;
  std::u16string* collecting_ = nullptr;
  std::string table_style_;  // the table style being read
};

}  // namespace brintova::engine::ods
