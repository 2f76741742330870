// EmbeddedServer: the spreadsheet server port implemented in-process over the engine's model.
// Each CreateObject makes a separate instance; workbooks open from files or are added empty;
// displayed text comes from the number-format renderer.
//
// For the windows and the command line that show instances to the user:
//   server.SetInstanceViewer([](std::shared_ptr<EmbeddedApplication> app) { ... });
// is called once whenever an instance is made visible. The viewer reads it through the port
// itself (app->Workbooks().Count()/Item(i), workbook->Sheets().Item(j), sheet->Name(),
// Kind(), UsedRangeEnd(), NextCellWithContent(), CellText()) plus the few extras below
// (UsedRangeStart, IsHidden, model access for saving), and closes it with app->Quit().
// A workbook added while the workbook opened last is still open in another, hidden instance
// records that one's name and its formula cells without a stored result
// (model::Workbook::results_source()): the run opens the workbook it reads first, then adds the
// one that receives its results.
// Call from one thread only. (Reading a large sheet starts a thread of the engine's own that
// formats its numbers ahead of the reads; see TextAhead.)
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/model/workbook.h"
#include "platform/spreadsheet_server.h"

namespace brintova::engine {

class EmbeddedApplication;
class EmbeddedWorkbook;
class TextAhead;

namespace detail {
struct InstanceState;
struct ServerState;
struct WorkbookCore;
}  // namespace detail

class EmbeddedSheet : public Sheet {
 public:
  EmbeddedSheet(std::shared_ptr<detail::WorkbookCore> core, model::Sheet* sheet);
  ~EmbeddedSheet() override;

  SheetKind Kind() override;
  std::u16string Name() override;
  // Renames a sheet added since opening; a sheet read from an Office Open XML file keeps its
  // name, since formulas and other parts copied unchanged may refer to it.
  void SetName(std::u16string_view name) override;
  CellPosition UsedRangeEnd() override;
  std::u16string CellText(CellPosition cell) override;
  void SetCellValue(CellPosition cell, std::u16string_view value) override;
  void SetCellNumberFormat(CellPosition cell, std::u16string_view code) override;
  std::optional<CellPosition> NextCellWithContent(CellPosition from, CellPosition end) override;

  // The first cell of the used range (row 1, column 1 for a sheet with no cells).
  CellPosition UsedRangeStart();
  bool IsHidden();  // hidden or very hidden
  // The model behind the sheet, for a writer. Throws Failure once the instance has quit.
  model::Sheet& model();
  // Stops rendering texts ahead: the sheet's cells are about to change.
  void StopTextAhead();

 private:
  void CheckOpen() const;
  void CheckCells() const;  // fails on chart and dialog sheets
  void CheckPosition(CellPosition cell, const char* member) const;

  std::shared_ptr<detail::WorkbookCore> core_;
  model::Sheet* sheet_;
  std::u16string text_;  // reused buffer for displayed text
  // The format code last found valid: a walk sets the same code on every cell it writes, and
  // need not compile it each time.
  std::u16string valid_code_;
  // The style a cell of style `formatted_from_` got for `formatted_code_` last time.
  bool formatted_ = false;
  std::uint32_t formatted_from_ = 0;
  std::uint32_t formatted_style_ = 0;
  std::u16string formatted_code_;
  // The texts of number cells rendered ahead of a walk, started by the first text read from a
  // large sheet; destroyed before anything writes to the sheet.
  std::unique_ptr<TextAhead> ahead_;
  bool ahead_started_ = false;
};

class EmbeddedWorkbook : public Workbook, public SheetCollection {
 public:
  EmbeddedWorkbook(std::shared_ptr<detail::InstanceState> instance,
                   std::unique_ptr<model::Workbook> book, std::u16string name);

  std::u16string Name() override;
  std::u16string FullName() override;
  SheetCollection& Sheets() override { return *this; }
  std::vector<std::shared_ptr<Sheet>> Worksheets() override;

  std::int32_t Count() override;
  std::shared_ptr<Sheet> Item(std::int32_t index) override;
  std::shared_ptr<Sheet> Add(const std::shared_ptr<Sheet>& before) override;

  // The model behind the workbook, for a writer. Throws Failure once the instance has quit.
  model::Workbook& model();
  // Stops every sheet's rendering ahead (EmbeddedSheet::StopTextAhead).
  void StopTextAhead();

 private:
  void CheckOpen() const;

  std::shared_ptr<detail::WorkbookCore> core_;
  std::u16string name_;
  std::vector<std::shared_ptr<EmbeddedSheet>> sheets_;  // parallel to the model's sheets
};

class EmbeddedApplication : public Application,
                            public WorkbookCollection,
                            public std::enable_shared_from_this<EmbeddedApplication> {
 public:
  explicit EmbeddedApplication(std::weak_ptr<detail::ServerState> server);
  ~EmbeddedApplication() override;

  std::u16string Value() override;
  WorkbookCollection& Workbooks() override;
  void SetVisible(bool visible) override;
  void Quit() override;

  std::int32_t Count() override;
  std::shared_ptr<Workbook> Item(std::int32_t index) override;
  std::shared_ptr<Workbook> Add() override;
  std::shared_ptr<Workbook> Open(std::u16string_view path) override;
  std::shared_ptr<Workbook> Open(const OpenArguments& arguments) override;

  bool IsOpen() const;     // false once Quit was called
  bool IsVisible() const;  // made visible and not quit

 private:
  void CheckOpen() const;
  std::shared_ptr<Workbook> Adopt(std::unique_ptr<model::Workbook> book, std::u16string name);

  std::weak_ptr<detail::ServerState> server_;
  std::shared_ptr<detail::InstanceState> state_;
  std::vector<std::shared_ptr<EmbeddedWorkbook>> workbooks_;
  int next_book_number_ = 1;
};

class EmbeddedServer : public SpreadsheetServer {
 public:
  using InstanceViewer = std::function<void(std::shared_ptr<EmbeddedApplication>)>;
  using OpenFailureReporter = std::function<void(std::u16string_view message)>;

  EmbeddedServer();
  ~EmbeddedServer() override;

  std::shared_ptr<Application> CreateObject(std::u16string_view prog_id) override;
  std::shared_ptr<Application> GetObject(std::u16string_view prog_id) override;

  // Called with each instance as it is made visible (once per instance).
  void SetInstanceViewer(InstanceViewer viewer);
  // Called, during Workbooks.Open, with each thing the reader could not take in while it read
  // the rest (Workbook::load_failures(): rows past the grid in a text file): the workbook
  // opens with what fits, and the front end reports the rest as a failure.
  void SetOpenFailureReporter(OpenFailureReporter reporter);
  // The visible instances that have not quit, in the order they were shown. The server keeps
  // them alive until they quit.
  std::vector<std::shared_ptr<EmbeddedApplication>> VisibleInstances() const;

 private:
  std::shared_ptr<detail::ServerState> state_;
};

// What the user should know about formula cells that were read as empty because the file holds
// no result for them: those of `book` itself, or of the workbook its results came from. Empty
// when there are none.
std::u16string UncalculatedFormulasNotice(const model::Workbook& book);

}  // namespace brintova::engine
