// The embedded server's instances, workbooks and sheets. Every member checks that its instance
// is still open, so that a call after Quit fails with a description instead of touching freed
// state.
#include "engine/server/embedded_server.h"

#include <algorithm>
#include <new>
#include <system_error>

#include "engine/server/open_workbook.h"
#include "engine/server/text_ahead.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::engine {

namespace detail {

struct InstanceState {
  bool open = true;
  bool visible = false;
};

struct ServerState {
  std::vector<std::shared_ptr<EmbeddedApplication>> visible;  // in the order shown
  EmbeddedServer::InstanceViewer viewer;
  // The workbook opened from a file last, and the instance it was opened in.
  std::weak_ptr<EmbeddedApplication> last_opener;
  std::weak_ptr<EmbeddedWorkbook> last_opened;
  EmbeddedServer::OpenFailureReporter open_failures;
};

struct WorkbookCore {
  std::shared_ptr<InstanceState> instance;
  std::unique_ptr<model::Workbook> book;
};

}  // namespace detail

namespace {

constexpr std::int32_t kFailureOutOfMemory = 7;
constexpr std::int32_t kFailureCannotCreate = 429;
constexpr std::int32_t kFailureSubscript = 9;
constexpr std::int32_t kFailureNotSupported = 438;
constexpr std::int32_t kFailureObjectDefined = 1004;
constexpr std::int32_t kFailureDisconnected = 462;

// A sheet of fewer cells is read without rendering ahead: a thread would cost more than it saves,
// and a batch of small workbooks keeps both cores busy with workbooks anyway.
constexpr std::size_t kTextAheadCells = 64 * 1024;

[[noreturn]] void FailQuit() {
  throw Failure(
      "The spreadsheet instance has quit: its workbooks and sheets are closed and can no longer "
      "be used",
      kFailureDisconnected);
}

// Runs `member`, turning an exhausted memory into the failure the application gives for it, so
// that no standard-library exception leaves the port. `what` (a literal or a string) is read
// only on failure: measuring a literal on every call cost a cell write a fifth of its time.
template <typename What, typename Member>
auto WithinMemory(const What& what, Member&& member) -> decltype(member()) {
  try {
    return member();
  } catch (const std::bad_alloc&) {
    throw Failure(u"Out of memory: there is not enough memory to " + std::u16string(what),
                  kFailureOutOfMemory);
  }
}

bool SameProgId(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x + 32);
    if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y + 32);
    if (x != y) return false;
  }
  return true;
}

std::u16string Decimal(long long value) { return DecimalText(value); }

std::u16string FileNameOf(std::u16string_view path) {
  const std::size_t slash = path.find_last_of(u"/\\");
  return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

SheetKind PortKind(model::SheetKind kind) {
  switch (kind) {
    case model::SheetKind::kWorksheet:
      return SheetKind::kWorksheet;
    case model::SheetKind::kChart:
      return SheetKind::kChart;
    case model::SheetKind::kDialog:
    case model::SheetKind::kMacro:
      return SheetKind::kDialog;
  }
  return SheetKind::kDialog;
}

}  // namespace

// ---- EmbeddedSheet ----

EmbeddedSheet::EmbeddedSheet(std::shared_ptr<detail::WorkbookCore> core, model::Sheet* sheet)
    : core_(std::move(core)), sheet_(sheet) {}

EmbeddedSheet::~EmbeddedSheet() = default;

void EmbeddedSheet::StopTextAhead() { ahead_.reset(); }

void EmbeddedSheet::CheckOpen() const {
  if (!core_->instance->open) FailQuit();
}

void EmbeddedSheet::CheckCells() const {
  CheckOpen();
  if (sheet_->kind() != model::SheetKind::kWorksheet) {
    throw Failure(u"Object doesn't support this property or method (sheet \"" + sheet_->name() +
                      u"\" is a " +
                      (sheet_->kind() == model::SheetKind::kChart ? u"chart" : u"dialog") +
                      u" sheet and has no cells)",
                  kFailureNotSupported);
  }
}

void EmbeddedSheet::CheckPosition(CellPosition cell, const char* member) const {
  CheckCells();
  if (cell.row < 1 || cell.row > model::kMaxRows || cell.column < 1 ||
      cell.column > model::kMaxColumns) {
    throw Failure(ToUtf16(member) + u": Cells(" + Decimal(cell.row) + u", " + Decimal(cell.column) +
                      u") lies outside sheet \"" + sheet_->name() +
                      u"\" (rows 1 to 1048576, columns 1 to 16384)",
                  kFailureObjectDefined);
  }
}

SheetKind EmbeddedSheet::Kind() {
  CheckOpen();
  return PortKind(sheet_->kind());
}

std::u16string EmbeddedSheet::Name() {
  CheckOpen();
  return sheet_->name();
}

void EmbeddedSheet::SetName(std::u16string_view name) {
  CheckOpen();
  const std::u16string quoted = u"\"" + std::u16string(name) + u"\"";
  const auto refuse = [&](std::u16string_view why) {
    throw Failure(u"Cannot rename sheet \"" + sheet_->name() + u"\" to " + quoted + u": " +
                      std::u16string(why),
                  kFailureObjectDefined);
  };
  if (name.empty()) refuse(u"a sheet name cannot be empty");
  if (name.size() > 31) refuse(u"a sheet name has at most 31 characters");
  if (name.find_first_of(u":\\/?*[]") != std::u16string_view::npos) {
    refuse(u"a sheet name cannot hold : \\ / ? * [ or ]");
  }
  if (name.front() == u'\'' || name.back() == u'\'') {
    refuse(u"a sheet name cannot begin or end with an apostrophe");
  }
  if (!sheet_->part_name().empty()) {
    refuse(u"only sheets added since the workbook was opened can be renamed");
  }
  model::Workbook& book = *core_->book;
  for (std::size_t i = 0; i < book.SheetCount(); ++i) {
    const model::Sheet& other = book.sheet(i);
    if (&other != sheet_ && model::SameSheetName(other.name(), name)) {
      refuse(u"the workbook has a sheet of that name");
    }
  }
  sheet_->set_name(std::u16string(name));
  book.set_structure_changed(true);
}

CellPosition EmbeddedSheet::UsedRangeEnd() {
  CheckCells();
  const model::UsedRange used = sheet_->used_range();
  if (used.empty()) return {1, 1};
  return {used.last_row, used.last_column};
}

CellPosition EmbeddedSheet::UsedRangeStart() {
  CheckCells();
  const model::UsedRange used = sheet_->used_range();
  if (used.empty()) return {1, 1};
  return {used.first_row, used.first_column};
}

bool EmbeddedSheet::IsHidden() {
  CheckOpen();
  return sheet_->visibility() != model::Visibility::kVisible;
}

model::Sheet& EmbeddedSheet::model() {
  CheckOpen();
  StopTextAhead();
  return *sheet_;
}

std::u16string EmbeddedSheet::CellText(CellPosition cell) {
  CheckPosition(cell, "Text");
  return WithinMemory(u"show a cell's text", [&] {
    if (!ahead_started_ && sheet_->CellCount() >= kTextAheadCells) {
      // Once for the sheet: a walk reads it from its first cell, in order, just once.
      ahead_started_ = true;
      try {
        ahead_ = std::make_unique<TextAhead>(*core_->book, *sheet_, cell.row);
      } catch (const std::system_error&) {
        // No second thread: every text is rendered here.
      } catch (const std::bad_alloc&) {
        // Nor memory for the copy of the styles it takes.
      }
    }
    const model::Cell* found = sheet_->Find(cell.row, cell.column);
    if (ahead_ && found != nullptr && found->type == model::CellType::kNumber &&
        ahead_->Take(cell.row, cell.column, text_)) {
      return text_;
    }
    model::DisplayedText(*core_->book, *sheet_, found, text_);
    return text_;
  });
}

void EmbeddedSheet::SetCellValue(CellPosition cell, std::u16string_view value) {
  CheckPosition(cell, "Value");
  StopTextAhead();
  WithinMemory(u"store a cell's value", [&] {
    const model::Cell* existing = sheet_->Find(cell.row, cell.column);
    const std::uint32_t style = existing != nullptr ? existing->style : 0;
    // Stored as text exactly as given, "" included: the cell then exists and counts for the
    // used range, as it does in the application. A long text met before (the same shared string
    // in many cells) is kept once.
    const std::uint32_t index = sheet_->strings().AddShared(value);
    sheet_->Put(cell.row, model::Cell::OwnedString(cell.column, index, style));
    sheet_->set_changed(true);
  });
}

void EmbeddedSheet::SetCellNumberFormat(CellPosition cell, std::u16string_view code) {
  CheckPosition(cell, "NumberFormat");
  StopTextAhead();
  if (code != valid_code_) {
    numfmt::NumberFormat compiled;
    numfmt::CompileError error;
    if (!numfmt::NumberFormat::Compile(code, compiled, &error)) {
      throw Failure(u"Unable to set the NumberFormat property: the format code \"" +
                        std::u16string(code) + u"\" is not valid (" + error.description + u")",
                    kFailureObjectDefined);
    }
    valid_code_ = code;
  }
  const model::Cell* existing = sheet_->Find(cell.row, cell.column);
  model::Cell updated = existing != nullptr ? *existing : model::Cell::Empty(cell.column, 0);
  // A walk gives every cell it writes the same code, and the cells it writes to mostly share
  // one style before: the style found for that pair last time serves again.
  if (!formatted_ || updated.style != formatted_from_ || code != formatted_code_) {
    formatted_style_ = core_->book->styles().StyleWithFormat(updated.style, code);
    formatted_from_ = updated.style;
    formatted_code_ = code;
    formatted_ = true;
  }
  updated.style = formatted_style_;
  WithinMemory(u"store a cell's number format", [&] { sheet_->Put(cell.row, updated); });
  sheet_->set_changed(true);
}

std::optional<CellPosition> EmbeddedSheet::NextCellWithContent(CellPosition from,
                                                               CellPosition end) {
  CheckCells();
  const auto next = sheet_->NextWithValue({from.row, from.column}, {end.row, end.column});
  if (!next) return std::nullopt;
  return CellPosition{next->row, next->column};
}

// ---- EmbeddedWorkbook ----

EmbeddedWorkbook::EmbeddedWorkbook(std::shared_ptr<detail::InstanceState> instance,
                                   std::unique_ptr<model::Workbook> book, std::u16string name)
    : core_(std::make_shared<detail::WorkbookCore>()), name_(std::move(name)) {
  core_->instance = std::move(instance);
  core_->book = std::move(book);
  for (std::size_t i = 0; i < core_->book->SheetCount(); ++i) {
    sheets_.push_back(std::make_shared<EmbeddedSheet>(core_, &core_->book->sheet(i)));
  }
}

void EmbeddedWorkbook::CheckOpen() const {
  if (!core_->instance->open) FailQuit();
}

std::u16string EmbeddedWorkbook::Name() {
  CheckOpen();
  return name_;
}

std::u16string EmbeddedWorkbook::FullName() {
  CheckOpen();
  const auto& path = core_->book->source().path;
  return path.empty() ? name_ : path;
}

std::vector<std::shared_ptr<Sheet>> EmbeddedWorkbook::Worksheets() {
  CheckOpen();
  std::vector<std::shared_ptr<Sheet>> worksheets;
  for (std::size_t i = 0; i < sheets_.size(); ++i) {
    if (core_->book->sheet(i).kind() == model::SheetKind::kWorksheet) {
      worksheets.push_back(sheets_[i]);
    }
  }
  return worksheets;
}

std::int32_t EmbeddedWorkbook::Count() {
  CheckOpen();
  return static_cast<std::int32_t>(sheets_.size());
}

std::shared_ptr<Sheet> EmbeddedWorkbook::Item(std::int32_t index) {
  CheckOpen();
  if (index < 1 || static_cast<std::size_t>(index) > sheets_.size()) {
    throw Failure(u"Subscript out of range: Sheets(" + Decimal(index) + u") of workbook \"" +
                      name_ + u"\", which has " + Decimal(static_cast<long long>(sheets_.size())) +
                      u" sheets",
                  kFailureSubscript);
  }
  return sheets_[static_cast<std::size_t>(index - 1)];
}

std::shared_ptr<Sheet> EmbeddedWorkbook::Add(const std::shared_ptr<Sheet>& before) {
  CheckOpen();
  std::size_t position = 0;  // no "before": the new sheet goes first
  if (before) {
    auto it = std::find_if(sheets_.begin(), sheets_.end(),
                           [&](const auto& sheet) { return sheet.get() == before.get(); });
    if (it == sheets_.end()) {
      throw Failure(
          u"Sheets.Add: the sheet given as \"before\" is not in workbook \"" + name_ + u"\"",
          kFailureObjectDefined);
    }
    position = static_cast<std::size_t>(it - sheets_.begin());
  }
  return WithinMemory(u"add a sheet", [&] {
    model::Sheet& sheet = core_->book->InsertSheet(position, core_->book->NextSheetName());
    auto added = std::make_shared<EmbeddedSheet>(core_, &sheet);
    sheets_.insert(sheets_.begin() + static_cast<std::ptrdiff_t>(position), added);
    return std::shared_ptr<Sheet>(added);
  });
}

model::Workbook& EmbeddedWorkbook::model() {
  CheckOpen();
  StopTextAhead();
  return *core_->book;
}

void EmbeddedWorkbook::StopTextAhead() {
  for (const auto& sheet : sheets_) sheet->StopTextAhead();
}

// ---- EmbeddedApplication ----

EmbeddedApplication::EmbeddedApplication(std::weak_ptr<detail::ServerState> server)
    : server_(std::move(server)), state_(std::make_shared<detail::InstanceState>()) {}

EmbeddedApplication::~EmbeddedApplication() = default;

void EmbeddedApplication::CheckOpen() const {
  if (!state_->open) FailQuit();
}

std::u16string EmbeddedApplication::Value() {
  CheckOpen();
  return u"Microsoft Excel";
}

WorkbookCollection& EmbeddedApplication::Workbooks() {
  CheckOpen();
  return *this;
}

void EmbeddedApplication::SetVisible(bool visible) {
  CheckOpen();
  if (visible == state_->visible) return;
  state_->visible = visible;
  auto server = server_.lock();
  if (!server) return;
  auto self = shared_from_this();
  auto& list = server->visible;
  list.erase(std::remove(list.begin(), list.end(), self), list.end());
  if (visible) {
    list.push_back(self);
    if (server->viewer) server->viewer(self);
  }
}

void EmbeddedApplication::Quit() {
  if (!state_->open) return;  // a second Quit does nothing
  state_->open = false;
  state_->visible = false;
  for (const auto& workbook : workbooks_) workbook->StopTextAhead();
  workbooks_.clear();
  if (auto server = server_.lock()) {
    auto& list = server->visible;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [this](const auto& app) { return app.get() == this; }),
               list.end());
  }
}

bool EmbeddedApplication::IsOpen() const { return state_->open; }
bool EmbeddedApplication::IsVisible() const { return state_->open && state_->visible; }

std::int32_t EmbeddedApplication::Count() {
  CheckOpen();
  return static_cast<std::int32_t>(workbooks_.size());
}

std::shared_ptr<Workbook> EmbeddedApplication::Item(std::int32_t index) {
  CheckOpen();
  if (index < 1 || static_cast<std::size_t>(index) > workbooks_.size()) {
    throw Failure(u"Subscript out of range: Workbooks(" + Decimal(index) +
                      u"), while the instance holds " +
                      Decimal(static_cast<long long>(workbooks_.size())) + u" workbooks",
                  kFailureSubscript);
  }
  return workbooks_[static_cast<std::size_t>(index - 1)];
}

std::shared_ptr<Workbook> EmbeddedApplication::Adopt(std::unique_ptr<model::Workbook> book,
                                                     std::u16string name) {
  auto workbook = std::make_shared<EmbeddedWorkbook>(state_, std::move(book), std::move(name));
  workbooks_.push_back(workbook);
  return workbook;
}

std::shared_ptr<Workbook> EmbeddedApplication::Add() {
  CheckOpen();
  auto book = std::make_unique<model::Workbook>();
  book->AddSheet(u"Sheet1", model::SheetKind::kWorksheet).set_changed(true);
  book->set_structure_changed(true);
  // The run opens the workbook it reads in a hidden instance, then adds the one that receives
  // its results: the workbook opened last, while its instance is open and hidden, is where the
  // results come from. (A workbook already shown to the user is a finished run's.)
  if (auto server = server_.lock()) {
    const auto opener = server->last_opener.lock();
    const auto source = server->last_opened.lock();
    if (opener && source && opener.get() != this && opener->IsOpen() && !opener->IsVisible()) {
      book->set_results_source({source->Name(), source->model().formulas_without_result()});
    }
  }
  return Adopt(std::move(book), u"Book" + Decimal(next_book_number_++));
}

std::shared_ptr<Workbook> EmbeddedApplication::Open(std::u16string_view path) {
  CheckOpen();
  auto book = WithinMemory(u"open " + std::u16string(path), [&] { return OpenWorkbookFile(path); });
  const std::vector<std::u16string> failures = book->load_failures();
  auto workbook = Adopt(std::move(book), FileNameOf(path));
  if (auto server = server_.lock()) {
    server->last_opener = weak_from_this();
    server->last_opened = std::static_pointer_cast<EmbeddedWorkbook>(workbook);
    if (server->open_failures) {
      for (const std::u16string& failure : failures) server->open_failures(failure);
    }
  }
  return workbook;
}

std::shared_ptr<Workbook> EmbeddedApplication::Open(const OpenArguments& arguments) {
  // Every workbook the engine opens is editable, so Editable changes nothing.
  return Open(std::u16string_view(arguments.file_name));
}

// ---- EmbeddedServer ----

EmbeddedServer::EmbeddedServer() : state_(std::make_shared<detail::ServerState>()) {}

EmbeddedServer::~EmbeddedServer() = default;

std::shared_ptr<Application> EmbeddedServer::CreateObject(std::u16string_view prog_id) {
  if (!SameProgId(prog_id, kSpreadsheetProgId)) {
    throw Failure(u"ActiveX component can't create object (no server is registered as \"" +
                      std::u16string(prog_id) + u"\")",
                  kFailureCannotCreate);
  }
  return std::make_shared<EmbeddedApplication>(state_);
}

std::shared_ptr<Application> EmbeddedServer::GetObject(std::u16string_view prog_id) {
  if (!SameProgId(prog_id, kSpreadsheetProgId)) {
    throw Failure(u"ActiveX component can't create object (no server is registered as \"" +
                      std::u16string(prog_id) + u"\")",
                  kFailureCannotCreate);
  }
  if (state_->visible.empty()) {
    throw Failure(
        u"ActiveX component can't create object (no Excel.Application instance is "
        u"running)",
        kFailureCannotCreate);
  }
  return state_->visible.back();
}

void EmbeddedServer::SetInstanceViewer(InstanceViewer viewer) {
  state_->viewer = std::move(viewer);
}

void EmbeddedServer::SetOpenFailureReporter(OpenFailureReporter reporter) {
  state_->open_failures = std::move(reporter);
}

std::vector<std::shared_ptr<EmbeddedApplication>> EmbeddedServer::VisibleInstances() const {
  return state_->visible;
}

std::u16string UncalculatedFormulasNotice(const model::Workbook& book) {
  const std::u16string& source = book.results_source().name;
  const std::uint64_t count = source.empty() ? book.formulas_without_result()
                                             : book.results_source().formulas_without_result;
  if (count == 0) return {};
  const bool one = count == 1;
  const std::u16string of = source.empty() ? u"" : u" of " + source;
  const std::u16string workbook = source.empty() ? u"the workbook" : source;
  return Decimal(static_cast<long long>(count)) + (one ? u" formula cell" : u" formula cells") +
         of + (one ? u" has" : u" have") + u" no stored result and " + (one ? u"was" : u"were") +
         u" read as empty; open and save " + workbook +
         u" in a spreadsheet application to calculate " + (one ? u"it" : u"them");
}

}  // namespace brintova::engine
