// FakeServer: the spreadsheet server port in memory. Tests register workbook files by path
// (sheets, displayed cell texts, chart sheets, cells whose read fails) and failures to inject
// by call name, then inspect every instance the code under test created.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/failure.h"
#include "platform/spreadsheet_server.h"

namespace brintova::testing {

// "B2" -> row 2, column 2; "XFD1048576" -> the last cell of the grid. Letters are upper case.
CellPosition At(std::string_view a1);

// One sheet of a registered workbook file: texts as the server displays them.
struct FakeSheetContent {
  std::u16string name;
  std::vector<std::pair<CellPosition, std::u16string>> cells;
  SheetKind kind = SheetKind::kWorksheet;
  // Reading Text of one of these cells throws the failure.
  std::vector<std::pair<CellPosition, Failure>> failing_cells;
};

// A worksheet's content from A1 references: Worksheet(u"Data", {{"A1", u"x"}, {"C5", u"y"}}).
FakeSheetContent Worksheet(std::u16string name,
                           std::vector<std::pair<std::string, std::u16string>> cells = {});
FakeSheetContent ChartSheet(std::u16string name);

struct FakeCell {
  std::u16string text;           // Text as displayed; a written Value is displayed as stored
  std::u16string number_format;  // empty until NumberFormat is assigned
};

class FakeServer;
class FakeApplication;
class FakeWorkbook;

// Cells are kept in row-major order; a cell exists once registered or once its Value or
// NumberFormat was assigned (assigning "" keeps it in the used range).
class FakeSheet : public Sheet {
 public:
  FakeSheet(FakeServer& server, FakeApplication& application, std::u16string name, SheetKind kind);

  SheetKind Kind() override;
  std::u16string Name() override;
  // Refuses, as the server does, an empty name, one over 31 characters, one holding a colon,
  // backslash, slash, ?, *, [ or ], one beginning or ending with an apostrophe, and one that
  // another sheet of its workbook has (A-Z and a-z alike).
  void SetName(std::u16string_view name) override;
  CellPosition UsedRangeEnd() override;
  std::u16string CellText(CellPosition cell) override;
  void SetCellValue(CellPosition cell, std::u16string_view value) override;
  void SetCellNumberFormat(CellPosition cell, std::u16string_view code) override;
  // Answers the next stored cell when the server's `answers_next_cell` is set, else `from`.
  std::optional<CellPosition> NextCellWithContent(CellPosition from, CellPosition end) override;

  // For tests: no call counting, no failures, no checks.
  const std::u16string& name() const { return name_; }
  SheetKind kind() const { return kind_; }
  // The stored text of a cell, nullopt when the cell does not exist.
  std::optional<std::u16string> stored(std::string_view a1) const;
  std::u16string number_format(std::string_view a1) const;
  const std::map<std::pair<std::int32_t, std::int32_t>, FakeCell>& cells() const { return cells_; }
  void Put(CellPosition cell, std::u16string text);
  void PutFailing(CellPosition cell, Failure failure);
  void set_workbook(FakeWorkbook* workbook) { workbook_ = workbook; }

 private:
  void Enter(const char* call);
  void CheckCell(CellPosition cell) const;

  FakeServer* server_;
  FakeApplication* application_;
  FakeWorkbook* workbook_ = nullptr;
  std::u16string name_;
  SheetKind kind_;
  std::map<std::pair<std::int32_t, std::int32_t>, FakeCell> cells_;
  std::map<std::pair<std::int32_t, std::int32_t>, Failure> failing_cells_;
};

class FakeWorkbook : public Workbook, public SheetCollection {
 public:
  FakeWorkbook(FakeServer& server, FakeApplication& application, std::u16string full_name,
               std::u16string name);

  std::u16string Name() override;
  std::u16string FullName() override;
  SheetCollection& Sheets() override;
  std::vector<std::shared_ptr<Sheet>> Worksheets() override;

  // SheetCollection
  std::int32_t Count() override;
  std::shared_ptr<Sheet> Item(std::int32_t index) override;
  std::shared_ptr<Sheet> Add(const std::shared_ptr<Sheet>& before) override;

  // For tests.
  const std::vector<std::shared_ptr<FakeSheet>>& sheets() const { return sheets_; }
  FakeSheet& sheet(std::u16string_view name) const;  // aborts the test's expectations if absent
  const std::u16string& full_name() const { return full_name_; }
  const std::u16string& name() const { return name_; }
  bool opened_editable = false;
  bool opened_with_named_arguments = false;
  void AppendSheet(std::shared_ptr<FakeSheet> sheet) {
    sheet->set_workbook(this);
    sheets_.push_back(std::move(sheet));
  }

 private:
  void Enter(const char* call);
  std::u16string FreeSheetName() const;

  FakeServer* server_;
  FakeApplication* application_;
  std::u16string full_name_;
  std::u16string name_;
  std::vector<std::shared_ptr<FakeSheet>> sheets_;
};

class FakeApplication : public Application, public WorkbookCollection {
 public:
  FakeApplication(FakeServer& server, std::int32_t number);

  std::u16string Value() override;
  WorkbookCollection& Workbooks() override;
  void SetVisible(bool visible) override;
  void Quit() override;

  // WorkbookCollection
  std::int32_t Count() override;
  std::shared_ptr<Workbook> Item(std::int32_t index) override;
  std::shared_ptr<Workbook> Add() override;
  std::shared_ptr<Workbook> Open(std::u16string_view path) override;
  std::shared_ptr<Workbook> Open(const OpenArguments& arguments) override;

  // For tests.
  std::int32_t number() const { return number_; }  // creation order, from 1
  bool visible() const { return visible_; }
  bool quit() const { return quit_; }
  std::int64_t shown_at() const { return shown_at_; }  // order of the last Visible := True
  const std::vector<std::shared_ptr<FakeWorkbook>>& workbooks() const { return workbooks_; }
  // Throws Failure once Quit was called: the instance no longer answers.
  void CheckRunning() const;
  // The user shows the instance (no call of the program is counted).
  void ShowByUser();

 private:
  void Enter(const char* call);
  std::shared_ptr<Workbook> OpenFile(std::u16string_view path);

  FakeServer* server_;
  std::int32_t number_;
  bool visible_ = false;
  bool quit_ = false;
  std::int64_t shown_at_ = 0;
  std::int32_t books_added_ = 0;
  std::vector<std::shared_ptr<FakeWorkbook>> workbooks_;
};

class FakeServer : public SpreadsheetServer {
 public:
  // Workbook files that Workbooks.Open finds; each Open gets its own copy. Any other path
  // fails with "File not found: <path>".
  void AddFile(std::u16string path, std::vector<FakeSheetContent> sheets);
  // A path whose Open fails with `failure` (locked, not a workbook, ...).
  void AddUnreadableFile(std::u16string path, Failure failure);

  // Calls named as the port members ("CreateObject", "GetObject", "Application.Value",
  // "Workbooks.Count", "Workbooks.Item", "Workbooks.Add", "Workbooks.Open",
  // "Application.SetVisible", "Application.Quit", "Sheets.Count", "Sheets.Item", "Sheets.Add",
  // "Workbook.Name", "Workbook.FullName", "Workbook.Worksheets", "Sheet.Kind", "Sheet.Name",
  // "Sheet.SetName",
  // "Sheet.UsedRangeEnd", "Sheet.CellText", "Sheet.SetCellValue", "Sheet.SetCellNumberFormat",
  // "Sheet.NextCellWithContent"): after `skip` successful calls of that name, the next `times`
  // calls (-1: all) throw `failure`.
  void FailOn(std::string call, Failure failure, int skip = 0, int times = -1);

  // A server that can answer NextCellWithContent; when false every walk visits every position.
  bool answers_next_cell = true;

  // A visible instance the user started before the program ran (GetObject finds it).
  FakeApplication& StartUserInstance();

  std::shared_ptr<Application> CreateObject(std::u16string_view prog_id) override;
  std::shared_ptr<Application> GetObject(std::u16string_view prog_id) override;

  // For tests.
  const std::vector<std::shared_ptr<FakeApplication>>& instances() const { return instances_; }
  FakeApplication& instance(std::int32_t number) const;  // from 1, in creation order
  int calls(const std::string& call) const;              // how many calls of that name so far

  // Used by the fake's objects.
  void Enter(const char* call);
  std::int64_t NextShowOrder() { return ++show_order_; }
  struct File {
    std::vector<FakeSheetContent> sheets;
    std::optional<Failure> failure;
  };
  const File* FindFile(std::u16string_view path) const;

 private:
  struct Injection {
    std::string call;
    Failure failure;
    int skip;
    int times;
  };
  std::map<std::u16string, File, std::less<>> files_;
  std::vector<Injection> injections_;
  std::map<std::string, int> calls_;
  std::vector<std::shared_ptr<FakeApplication>> instances_;
  std::int64_t show_order_ = 0;
};

}  // namespace brintova::testing
