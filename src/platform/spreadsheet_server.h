// The spreadsheet automation server as the run drives it: instances, workbooks, sheets and cells.
// One member per automation call the program makes; every call either succeeds or throws
// Failure with the server's own description. Any server that honours these members serves.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/failure.h"

namespace brintova {

inline constexpr std::u16string_view kSpreadsheetProgId = u"Excel.Application";

// A cell position, rows and columns counted from 1.
struct CellPosition {
  std::int32_t row = 1;
  std::int32_t column = 1;
  friend bool operator==(const CellPosition&, const CellPosition&) = default;
};

enum class SheetKind { kWorksheet, kChart, kDialog };

class Sheet;

// Cells(row, column) of a sheet: a handle that forwards each call to its sheet.
class Range {
 public:
  Range(Sheet& sheet, CellPosition position) : sheet_(&sheet), position_(position) {}
  CellPosition position() const { return position_; }
  std::u16string Text() const;                      // Text, read
  void SetValue(std::u16string_view value) const;   // Value := string
  void SetNumberFormat(std::u16string_view code) const;  // NumberFormat := code

 private:
  Sheet* sheet_;
  CellPosition position_;
};

class Sheet {
 public:
  virtual ~Sheet() = default;
  virtual SheetKind Kind() = 0;
  virtual std::u16string Name() = 0;
  // Name := name. Throws Failure when the name is refused: empty, longer than 31 characters,
  // holding a colon, backslash, slash, ?, *, [ or ], beginning or ending with an apostrophe,
  // or the name of another sheet of the workbook (compared without regard to case). A server
  // that cannot rename says so by failing.
  virtual void SetName(std::u16string_view name) {
    throw Failure(u"Cannot rename sheet \"" + Name() + u"\" to \"" + std::u16string(name) +
                  u"\": this spreadsheet server does not rename sheets.");
  }

  // UsedRange: the last row and last column of the used range as absolute numbers. A sheet with
  // no cells answers row 1, column 1. Throws Failure on a chart or dialog sheet.
  virtual CellPosition UsedRangeEnd() = 0;

  Range Cells(std::int32_t row, std::int32_t column) { return Range(*this, {row, column}); }

  // The cell members behind Range. Throw Failure on a chart or dialog sheet or a position
  // outside the grid.
  virtual std::u16string CellText(CellPosition cell) = 0;
  virtual void SetCellValue(CellPosition cell, std::u16string_view value) = 0;
  virtual void SetCellNumberFormat(CellPosition cell, std::u16string_view code) = 0;

  // The first position at or after `from`, in row-major order inside rows 1..end.row and
  // columns 1..end.column, whose text may be non-empty; nullopt when there is none. Every other
  // position there has empty text, so a walk may skip it. A server that cannot tell answers
  // `from` itself (the default), and the walk then visits every position.
  virtual std::optional<CellPosition> NextCellWithContent(CellPosition from, CellPosition end) {
    (void)end;
    return from;
  }
};

inline std::u16string Range::Text() const { return sheet_->CellText(position_); }
inline void Range::SetValue(std::u16string_view value) const {
  sheet_->SetCellValue(position_, value);
}
inline void Range::SetNumberFormat(std::u16string_view code) const {
  sheet_->SetCellNumberFormat(position_, code);
}

// Sheets of a workbook, charts included, in tab order.
class SheetCollection {
 public:
  virtual ~SheetCollection() = default;
  virtual std::int32_t Count() = 0;
  // Sheets(index), from 1. Throws Failure when out of range.
  virtual std::shared_ptr<Sheet> Item(std::int32_t index) = 0;
  // Sheets.Add(before := before): a new empty worksheet placed before `before`, named as new
  // sheets are named ("Sheet1", "Sheet2", ..., the first name not taken).
  virtual std::shared_ptr<Sheet> Add(const std::shared_ptr<Sheet>& before) = 0;
};

class Workbook {
 public:
  virtual ~Workbook() = default;
  virtual std::u16string Name() = 0;      // file name, or "Book1" for a new workbook
  virtual std::u16string FullName() = 0;  // full path, or the name for a new workbook
  virtual SheetCollection& Sheets() = 0;
  // Worksheets, enumerated: tab order, chart and dialog sheets left out, hidden ones included.
  virtual std::vector<std::shared_ptr<Sheet>> Worksheets() = 0;
};

// Named arguments of Workbooks.Open(fileName := ..., Editable := ...).
struct OpenArguments {
  std::u16string file_name;
  bool editable = false;
};

class WorkbookCollection {
 public:
  virtual ~WorkbookCollection() = default;
  virtual std::int32_t Count() = 0;
  // Workbooks(index), from 1; the workbook opened last is Workbooks(Count()).
  virtual std::shared_ptr<Workbook> Item(std::int32_t index) = 0;
  // A new workbook with one empty worksheet.
  virtual std::shared_ptr<Workbook> Add() = 0;
  // Workbooks.Open(path), positional.
  virtual std::shared_ptr<Workbook> Open(std::u16string_view path) = 0;
  // Workbooks.Open with named arguments.
  virtual std::shared_ptr<Workbook> Open(const OpenArguments& arguments) = 0;
};

// One instance of the server.
class Application {
 public:
  virtual ~Application() = default;
  // The default property, read: "Microsoft Excel".
  virtual std::u16string Value() = 0;
  virtual WorkbookCollection& Workbooks() = 0;
  // Visible := True shows the instance to the user; it stays after every reference is dropped.
  virtual void SetVisible(bool visible) = 0;
  // Closes the instance and everything in it without saving.
  virtual void Quit() = 0;
};

class SpreadsheetServer {
 public:
  virtual ~SpreadsheetServer() = default;
  // Create by ProgID: a new, separate, invisible instance per call. Throws Failure when the
  // server cannot be started or does not know the ProgID.
  virtual std::shared_ptr<Application> CreateObject(std::u16string_view prog_id) = 0;
  // The running (active) object of the class: the instance most recently made visible that is
  // still open. Throws Failure when none runs.
  virtual std::shared_ptr<Application> GetObject(std::u16string_view prog_id) = 0;
};

}  // namespace brintova
