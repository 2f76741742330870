// The content part of an OpenDocument spreadsheet (content.xml), streamed into the model: its
// automatic styles, the date system, then each table's rows and cells. Repeated rows and
// columns are stored once per value, never as empty cells; a cell budget that grows with the
// file's size stops repetitions that would fill memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/model/workbook.h"
#include "engine/ods/ods_styles.h"
#include "engine/ods/ods_xml.h"

namespace brintova::engine::ods {

// The days of an ISO 8601 duration ("PT36H10M5.5S", "-P1DT2H"); nullopt when the text is not
// one.
std::optional<double> DaysFromDuration(std::string_view text);

// True when the formula's result is always a truth value: a comparison at its top ("of:=[.A1]>0")
// or a single call of a logical function ("of:=AND(...)", "of:=TRUE()").
bool IsLogicalFormula(std::string_view formula);

class ContentHandler : public Handler {
 public:
  // `cell_budget`: the most cells the file may hold once its repetitions are spread out.
  ContentHandler(model::Workbook& book, OdsStyles& styles, std::uint64_t cell_budget)
      : book_(book), styles_(styles), cell_budget_(cell_budget) {}

  void Start(const XmlName& name, const Attributes& attributes) override;
  void End(const XmlName& name) override;
  void Text(std::string_view text) override;

  std::size_t sheets() const { return sheets_; }

 private:
  enum class ValueType : std::uint8_t { kNone, kFloat, kDate, kTime, kBoolean, kString, kError };
  struct ColumnRun {
    std::int64_t last = 0;  // the run covers the columns after the previous run's last
    std::string style;
  };

  void StartTable(const Attributes& attributes);
  void StartColumns(const Attributes& attributes);
  void StartRow(const Attributes& attributes);
  void StartCell(const Attributes& attributes);
  void EndCell();
  void EndRow();
  std::optional<model::Cell> CellValue();
  model::Cell TextCell(std::uint32_t style);
  const std::string& ColumnStyle(std::int64_t column) const;
  void Charge(std::uint64_t cells);
  std::string Where(std::int64_t row, std::int64_t column) const;

  model::Workbook& book_;
  OdsStyles& styles_;
  const std::uint64_t cell_budget_;
  std::uint64_t cells_ = 0;
  std::size_t sheets_ = 0;

  bool in_styles_ = false;
  int skip_depth_ = 0;  // inside a subtree whose text is not the cell's (notes, shapes)
  model::Sheet* sheet_ = nullptr;
  std::vector<ColumnRun> columns_;
  std::int64_t row_ = 1;  // the row the next table-row starts at
  std::int64_t row_repeat_ = 1;
  std::string row_style_;
  std::int64_t column_ = 1;  // the column the next cell starts at
  std::vector<model::Cell> row_cells_;

  // The cell being read.
  bool in_cell_ = false;
  std::int64_t cell_repeat_ = 1;
  ValueType type_ = ValueType::kNone;
  std::string value_;  // office:value, date-value, time-value or boolean-value
  bool has_string_value_ = false;
  const CellFormat* format_ = nullptr;
  bool want_text_ = false;
  int paragraph_depth_ = 0;
  int paragraphs_ = 0;
  std::u16string text_;
};

}  // namespace brintova::engine::ods
