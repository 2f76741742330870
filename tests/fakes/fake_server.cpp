#include "fakes/fake_server.h"

#include <algorithm>

#include "platform/text.h"

namespace brintova::testing {

namespace {

constexpr std::int32_t kLastRow = 1048576;
constexpr std::int32_t kLastColumn = 16384;

using Key = std::pair<std::int32_t, std::int32_t>;
Key KeyOf(CellPosition cell) { return {cell.row, cell.column}; }

Failure Disconnected() { return Failure(u"The object invoked has disconnected from its clients."); }

// ProgIDs and sheet names compare without regard to case (ASCII letters are enough for both:
// ProgIDs are ASCII and the names compared against are "Sheet<n>").
bool SameIgnoringCase(std::u16string_view a, std::u16string_view b) {
  auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [&](char16_t x, char16_t y) { return fold(x) == fold(y); });
}

std::u16string FileNameOf(std::u16string_view path) {
  const auto slash = path.find_last_of(u"\\/");
  return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

CellPosition At(std::string_view a1) {
  CellPosition cell{0, 0};
  std::size_t i = 0;
  for (; i < a1.size() && a1[i] >= 'A' && a1[i] <= 'Z'; ++i) {
    cell.column = cell.column * 26 + (a1[i] - 'A' + 1);
  }
  for (; i < a1.size() && a1[i] >= '0' && a1[i] <= '9'; ++i) {
    cell.row = cell.row * 10 + (a1[i] - '0');
  }
  return cell;
}

FakeSheetContent Worksheet(std::u16string name,
                           std::vector<std::pair<std::string, std::u16string>> cells) {
  FakeSheetContent content{std::move(name), {}, SheetKind::kWorksheet, {}};
  for (auto& [a1, text] : cells) content.cells.emplace_back(At(a1), std::move(text));
  return content;
}

FakeSheetContent ChartSheet(std::u16string name) {
  return FakeSheetContent{std::move(name), {}, SheetKind::kChart, {}};
}

// ---------------------------------------------------------------------------------- FakeSheet

FakeSheet::FakeSheet(FakeServer& server, FakeApplication& application, std::u16string name,
                     SheetKind kind)
    : server_(&server), application_(&application), name_(std::move(name)), kind_(kind) {}

void FakeSheet::Enter(const char* call) {
  application_->CheckRunning();
  server_->Enter(call);
}

void FakeSheet::CheckCell(CellPosition cell) const {
  if (kind_ != SheetKind::kWorksheet) {
    throw Failure(u"Object doesn't support this property or method", 438);
  }
  if (cell.row < 1 || cell.row > kLastRow || cell.column < 1 || cell.column > kLastColumn) {
    throw Failure(u"Application-defined or object-defined error", 1004);
  }
}

SheetKind FakeSheet::Kind() {
  Enter("Sheet.Kind");
  return kind_;
}

std::u16string FakeSheet::Name() {
  Enter("Sheet.Name");
  return name_;
}

void FakeSheet::SetName(std::u16string_view name) {
  Enter("Sheet.SetName");
  if (name.empty() || name.size() > 31 ||
      name.find_first_of(u":\\/?*[]") != std::u16string_view::npos || name.front() == u'\'' ||
      name.back() == u'\'') {
    throw Failure(u"The name \"" + std::u16string(name) + u"\" is not a valid sheet name", 1004);
  }
  if (workbook_ != nullptr) {
    for (const auto& other : workbook_->sheets()) {
      if (other.get() != this && AsciiLower(other->name()) == AsciiLower(name)) {
        throw Failure(u"That name is already taken. Try a different one.", 1004);
      }
    }
  }
  name_ = std::u16string(name);
}

CellPosition FakeSheet::UsedRangeEnd() {
  Enter("Sheet.UsedRangeEnd");
  CheckCell({1, 1});
  CellPosition end{1, 1};
  for (const auto& [key, cell] : cells_) {
    end.row = std::max(end.row, key.first);
    end.column = std::max(end.column, key.second);
  }
  return end;
}

std::u16string FakeSheet::CellText(CellPosition cell) {
  Enter("Sheet.CellText");
  CheckCell(cell);
  if (const auto failing = failing_cells_.find(KeyOf(cell)); failing != failing_cells_.end()) {
    throw failing->second;
  }
  const auto it = cells_.find(KeyOf(cell));
  return it == cells_.end() ? std::u16string() : it->second.text;
}

void FakeSheet::SetCellValue(CellPosition cell, std::u16string_view value) {
  Enter("Sheet.SetCellValue");
  CheckCell(cell);
  cells_[KeyOf(cell)].text = value;
}

void FakeSheet::SetCellNumberFormat(CellPosition cell, std::u16string_view code) {
  Enter("Sheet.SetCellNumberFormat");
  CheckCell(cell);
  cells_[KeyOf(cell)].number_format = code;
}

std::optional<CellPosition> FakeSheet::NextCellWithContent(CellPosition from, CellPosition end) {
  Enter("Sheet.NextCellWithContent");
  CheckCell({1, 1});
  if (!server_->answers_next_cell) return from;
  // Cells whose read fails count as content: the walk must reach them.
  auto next_in = [&](const auto& map, Key start) -> std::optional<Key> {
    Key at = start;
    while (at.first <= end.row) {
      const auto it = map.lower_bound(at);
      if (it == map.end() || it->first.first > end.row) return std::nullopt;
      if (it->first.second <= end.column) return it->first;
      at = {it->first.first + 1, 1};  // the rest of that row lies right of the bounds
    }
    return std::nullopt;
  };
  const auto a = next_in(cells_, KeyOf(from));
  const auto b = next_in(failing_cells_, KeyOf(from));
  std::optional<Key> best = a;
  if (b && (!best || *b < *best)) best = b;
  if (!best) return std::nullopt;
  return CellPosition{best->first, best->second};
}

std::optional<std::u16string> FakeSheet::stored(std::string_view a1) const {
  const auto it = cells_.find(KeyOf(At(a1)));
  if (it == cells_.end()) return std::nullopt;
  return it->second.text;
}

std::u16string FakeSheet::number_format(std::string_view a1) const {
  const auto it = cells_.find(KeyOf(At(a1)));
  return it == cells_.end() ? std::u16string() : it->second.number_format;
}

void FakeSheet::Put(CellPosition cell, std::u16string text) {
  cells_[KeyOf(cell)].text = std::move(text);
}

void FakeSheet::PutFailing(CellPosition cell, Failure failure) {
  failing_cells_.insert_or_assign(KeyOf(cell), std::move(failure));
}

// ------------------------------------------------------------------------------- FakeWorkbook

FakeWorkbook::FakeWorkbook(FakeServer& server, FakeApplication& application,
                           std::u16string full_name, std::u16string name)
    : server_(&server),
      application_(&application),
      full_name_(std::move(full_name)),
      name_(std::move(name)) {}

void FakeWorkbook::Enter(const char* call) {
  application_->CheckRunning();
  server_->Enter(call);
}

std::u16string FakeWorkbook::Name() {
  Enter("Workbook.Name");
  return name_;
}

std::u16string FakeWorkbook::FullName() {
  Enter("Workbook.FullName");
  return full_name_;
}

SheetCollection& FakeWorkbook::Sheets() {
  application_->CheckRunning();
  return *this;
}

std::vector<std::shared_ptr<Sheet>> FakeWorkbook::Worksheets() {
  Enter("Workbook.Worksheets");
  std::vector<std::shared_ptr<Sheet>> result;
  for (const auto& sheet : sheets_) {
    if (sheet->kind() == SheetKind::kWorksheet) result.push_back(sheet);
  }
  return result;
}

std::int32_t FakeWorkbook::Count() {
  Enter("Sheets.Count");
  return static_cast<std::int32_t>(sheets_.size());
}

std::shared_ptr<Sheet> FakeWorkbook::Item(std::int32_t index) {
  Enter("Sheets.Item");
  if (index < 1 || index > static_cast<std::int32_t>(sheets_.size())) {
    throw Failure(u"Subscript out of range", 9);
  }
  return sheets_[index - 1];
}

std::u16string FakeWorkbook::FreeSheetName() const {
  for (int n = 1;; ++n) {
    std::u16string name = u"Sheet" + DecimalText(n);
    const bool taken = std::any_of(sheets_.begin(), sheets_.end(), [&](const auto& sheet) {
      return SameIgnoringCase(sheet->name(), name);
    });
    if (!taken) return name;
  }
}

std::shared_ptr<Sheet> FakeWorkbook::Add(const std::shared_ptr<Sheet>& before) {
  Enter("Sheets.Add");
  const auto at = std::find_if(sheets_.begin(), sheets_.end(),
                               [&](const auto& sheet) { return sheet.get() == before.get(); });
  if (!before || at == sheets_.end()) {
    throw Failure(u"Method 'Add' of object 'Sheets' failed", 1004);
  }
  auto sheet =
      std::make_shared<FakeSheet>(*server_, *application_, FreeSheetName(), SheetKind::kWorksheet);
  sheet->set_workbook(this);
  sheets_.insert(at, sheet);
  return sheet;
}

FakeSheet& FakeWorkbook::sheet(std::u16string_view name) const {
  for (const auto& sheet : sheets_) {
    if (sheet->name() == name) return *sheet;
  }
  throw Failure(u"The fake workbook has no sheet " + std::u16string(name));
}

// ---------------------------------------------------------------------------- FakeApplication

FakeApplication::FakeApplication(FakeServer& server, std::int32_t number)
    : server_(&server), number_(number) {}

void FakeApplication::CheckRunning() const {
  if (quit_) throw Disconnected();
}

void FakeApplication::Enter(const char* call) {
  CheckRunning();
  server_->Enter(call);
}

void FakeApplication::ShowByUser() {
  visible_ = true;
  shown_at_ = server_->NextShowOrder();
}

std::u16string FakeApplication::Value() {
  Enter("Application.Value");
  return u"Microsoft Excel";
}

WorkbookCollection& FakeApplication::Workbooks() {
  CheckRunning();
  return *this;
}

void FakeApplication::SetVisible(bool visible) {
  Enter("Application.SetVisible");
  visible_ = visible;
  if (visible) shown_at_ = server_->NextShowOrder();
}

void FakeApplication::Quit() {
  Enter("Application.Quit");
  quit_ = true;
  visible_ = false;
}

std::int32_t FakeApplication::Count() {
  Enter("Workbooks.Count");
  return static_cast<std::int32_t>(workbooks_.size());
}

std::shared_ptr<Workbook> FakeApplication::Item(std::int32_t index) {
  Enter("Workbooks.Item");
  if (index < 1 || index > static_cast<std::int32_t>(workbooks_.size())) {
    throw Failure(u"Subscript out of range", 9);
  }
  return workbooks_[index - 1];
}

std::shared_ptr<Workbook> FakeApplication::Add() {
  Enter("Workbooks.Add");
  const std::u16string name = u"Book" + DecimalText(++books_added_);
  auto book = std::make_shared<FakeWorkbook>(*server_, *this, name, name);
  book->AppendSheet(std::make_shared<FakeSheet>(*server_, *this, u"Sheet1", SheetKind::kWorksheet));
  workbooks_.push_back(book);
  return book;
}

std::shared_ptr<Workbook> FakeApplication::OpenFile(std::u16string_view path) {
  const FakeServer::File* file = server_->FindFile(path);
  if (file == nullptr) throw Failure(u"File not found: " + std::u16string(path), 1004);
  if (file->failure) throw *file->failure;
  auto book =
      std::make_shared<FakeWorkbook>(*server_, *this, std::u16string(path), FileNameOf(path));
  for (const FakeSheetContent& content : file->sheets) {
    auto sheet = std::make_shared<FakeSheet>(*server_, *this, content.name, content.kind);
    for (const auto& [cell, text] : content.cells) sheet->Put(cell, text);
    for (const auto& [cell, failure] : content.failing_cells) sheet->PutFailing(cell, failure);
    book->AppendSheet(std::move(sheet));
  }
  workbooks_.push_back(book);
  return book;
}

std::shared_ptr<Workbook> FakeApplication::Open(std::u16string_view path) {
  Enter("Workbooks.Open");
  return OpenFile(path);
}

std::shared_ptr<Workbook> FakeApplication::Open(const OpenArguments& arguments) {
  Enter("Workbooks.Open");
  auto book = OpenFile(arguments.file_name);
  workbooks_.back()->opened_editable = arguments.editable;
  workbooks_.back()->opened_with_named_arguments = true;
  return book;
}

// --------------------------------------------------------------------------------- FakeServer

void FakeServer::AddFile(std::u16string path, std::vector<FakeSheetContent> sheets) {
  files_.insert_or_assign(std::move(path), File{std::move(sheets), std::nullopt});
}

void FakeServer::AddUnreadableFile(std::u16string path, Failure failure) {
  files_.insert_or_assign(std::move(path), File{{}, std::move(failure)});
}

const FakeServer::File* FakeServer::FindFile(std::u16string_view path) const {
  const auto it = files_.find(path);
  return it == files_.end() ? nullptr : &it->second;
}

void FakeServer::FailOn(std::string call, Failure failure, int skip, int times) {
  injections_.push_back({std::move(call), std::move(failure), skip, times});
}

void FakeServer::Enter(const char* call) {
  ++calls_[call];
  for (Injection& injection : injections_) {
    if (injection.call != call || injection.times == 0) continue;
    if (injection.skip > 0) {
      --injection.skip;
      continue;
    }
    if (injection.times > 0) --injection.times;
    throw injection.failure;
  }
}

int FakeServer::calls(const std::string& call) const {
  const auto it = calls_.find(call);
  return it == calls_.end() ? 0 : it->second;
}

FakeApplication& FakeServer::StartUserInstance() {
  auto instance =
      std::make_shared<FakeApplication>(*this, static_cast<std::int32_t>(instances_.size()) + 1);
  instances_.push_back(instance);
  instance->ShowByUser();
  return *instance;
}

std::shared_ptr<Application> FakeServer::CreateObject(std::u16string_view prog_id) {
  Enter("CreateObject");
  if (!SameIgnoringCase(prog_id, kSpreadsheetProgId)) {
    throw Failure(u"ActiveX component can't create object", 429);
  }
  auto instance =
      std::make_shared<FakeApplication>(*this, static_cast<std::int32_t>(instances_.size()) + 1);
  instances_.push_back(instance);
  return instance;
}

std::shared_ptr<Application> FakeServer::GetObject(std::u16string_view prog_id) {
  Enter("GetObject");
  std::shared_ptr<FakeApplication> found;
  if (SameIgnoringCase(prog_id, kSpreadsheetProgId)) {
    for (const auto& instance : instances_) {
      if (instance->visible() && !instance->quit() &&
          (!found || instance->shown_at() > found->shown_at())) {
        found = instance;
      }
    }
  }
  if (!found) throw Failure(u"ActiveX component can't create object", 429);
  return found;
}

FakeApplication& FakeServer::instance(std::int32_t number) const {
  if (number < 1 || number > static_cast<std::int32_t>(instances_.size())) {
    throw Failure(u"The fake server has no instance " + DecimalText(number));
  }
  return *instances_[number - 1];
}

}  // namespace brintova::testing
