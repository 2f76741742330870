#include "fakes/recording_server.h"

#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::testing {

namespace {

std::string U8(std::u16string_view text) { return ToUtf8(text); }

std::string At(CellPosition cell) {
  return "(" + std::to_string(cell.row) + "," + std::to_string(cell.column) + ")";
}

// Logs `entry`, runs `call`, and logs the failure if it throws (and rethrows it).
template <typename Call>
auto Logged(RecordingServer& server, bool log, std::string entry, Call&& call) {
  if (log) server.log.push_back(std::move(entry));
  try {
    return call();
  } catch (const Failure& failure) {
    server.log.push_back("failed: " + U8(failure.description()));
    throw;
  }
}

class RecordingSheet : public Sheet {
 public:
  RecordingSheet(RecordingServer& server, std::shared_ptr<Sheet> inner, std::string label)
      : server_(&server), inner_(std::move(inner)), label_(std::move(label)) {}

  Sheet& inner() { return *inner_; }
  const std::shared_ptr<Sheet>& inner_pointer() const { return inner_; }
  const std::string& label() const { return label_; }

  SheetKind Kind() override {
    return Logged(*server_, true, label_ + ".Type", [&] { return inner_->Kind(); });
  }
  std::u16string Name() override {
    return Logged(*server_, true, label_ + ".Name", [&] { return inner_->Name(); });
  }
  void SetName(std::u16string_view name) override {
    Logged(*server_, true, label_ + ".Name=" + U8(name), [&] { inner_->SetName(name); });
  }
  CellPosition UsedRangeEnd() override {
    return Logged(*server_, server_->log_reads, label_ + ".UsedRange",
                  [&] { return inner_->UsedRangeEnd(); });
  }
  std::u16string CellText(CellPosition cell) override {
    return Logged(*server_, server_->log_reads, label_ + ".Cells" + At(cell) + ".Text",
                  [&] { return inner_->CellText(cell); });
  }
  void SetCellValue(CellPosition cell, std::u16string_view value) override {
    Logged(*server_, true, label_ + ".Cells" + At(cell) + ".Value=" + U8(value),
           [&] { inner_->SetCellValue(cell, value); });
  }
  void SetCellNumberFormat(CellPosition cell, std::u16string_view code) override {
    Logged(*server_, true, label_ + ".Cells" + At(cell) + ".NumberFormat=" + U8(code),
           [&] { inner_->SetCellNumberFormat(cell, code); });
  }
  std::optional<CellPosition> NextCellWithContent(CellPosition from, CellPosition end) override {
    return Logged(*server_, server_->log_reads,
                  label_ + ".NextCellWithContent" + At(from) + At(end),
                  [&] { return inner_->NextCellWithContent(from, end); });
  }

 private:
  RecordingServer* server_;
  std::shared_ptr<Sheet> inner_;
  std::string label_;
};

class RecordingWorkbook : public Workbook, public SheetCollection {
 public:
  RecordingWorkbook(RecordingServer& server, std::shared_ptr<Workbook> inner, std::string label)
      : server_(&server), inner_(std::move(inner)), label_(std::move(label)) {}

  std::u16string Name() override {
    return Logged(*server_, true, label_ + ".Name", [&] { return inner_->Name(); });
  }
  std::u16string FullName() override {
    return Logged(*server_, true, label_ + ".FullName", [&] { return inner_->FullName(); });
  }
  SheetCollection& Sheets() override { return *this; }
  std::vector<std::shared_ptr<Sheet>> Worksheets() override {
    auto sheets =
        Logged(*server_, true, label_ + ".Worksheets", [&] { return inner_->Worksheets(); });
    std::vector<std::shared_ptr<Sheet>> wrapped;
    for (auto& sheet : sheets) wrapped.push_back(Wrap(std::move(sheet)));
    return wrapped;
  }

  std::int32_t Count() override {
    return Logged(*server_, true, label_ + ".Sheets.Count",
                  [&] { return inner_->Sheets().Count(); });
  }
  std::shared_ptr<Sheet> Item(std::int32_t index) override {
    return Wrap(Logged(*server_, true, label_ + ".Sheets.Item " + std::to_string(index),
                       [&] { return inner_->Sheets().Item(index); }));
  }
  std::shared_ptr<Sheet> Add(const std::shared_ptr<Sheet>& before) override {
    auto* recorded = dynamic_cast<RecordingSheet*>(before.get());
    const std::shared_ptr<Sheet> inner_before = recorded ? recorded->inner_pointer() : before;
    std::string entry = label_ + ".Sheets.Add before=";
    entry += recorded ? recorded->label().substr(label_.size() + 1) : "(none)";
    return Wrap(Logged(*server_, true, std::move(entry),
                       [&] { return inner_->Sheets().Add(inner_before); }));
  }

 private:
  std::shared_ptr<Sheet> Wrap(std::shared_ptr<Sheet> sheet) {
    if (!sheet) return sheet;
    const std::string label = label_ + "!" + U8(sheet->Name());
    return std::make_shared<RecordingSheet>(*server_, std::move(sheet), label);
  }

  RecordingServer* server_;
  std::shared_ptr<Workbook> inner_;
  std::string label_;
};

class RecordingApplication : public Application, public WorkbookCollection {
 public:
  RecordingApplication(RecordingServer& server, std::shared_ptr<Application> inner,
                       std::string label)
      : server_(&server), inner_(std::move(inner)), label_(std::move(label)) {}

  std::u16string Value() override {
    return Logged(*server_, true, label_ + ".Value", [&] { return inner_->Value(); });
  }
  WorkbookCollection& Workbooks() override { return *this; }
  void SetVisible(bool visible) override {
    Logged(*server_, true, label_ + ".Visible=" + (visible ? "true" : "false"),
           [&] { inner_->SetVisible(visible); });
  }
  void Quit() override {
    Logged(*server_, true, label_ + ".Quit", [&] { inner_->Quit(); });
  }

  std::int32_t Count() override {
    return Logged(*server_, true, label_ + ".Workbooks.Count",
                  [&] { return inner_->Workbooks().Count(); });
  }
  std::shared_ptr<Workbook> Item(std::int32_t index) override {
    return Wrap(Logged(*server_, true, label_ + ".Workbooks.Item " + std::to_string(index),
                       [&] { return inner_->Workbooks().Item(index); }));
  }
  std::shared_ptr<Workbook> Add() override {
    return Wrap(Logged(*server_, true, label_ + ".Workbooks.Add",
                       [&] { return inner_->Workbooks().Add(); }));
  }
  std::shared_ptr<Workbook> Open(std::u16string_view path) override {
    return Wrap(Logged(*server_, true, label_ + ".Workbooks.Open " + U8(path),
                       [&] { return inner_->Workbooks().Open(path); }));
  }
  std::shared_ptr<Workbook> Open(const OpenArguments& arguments) override {
    std::string entry = label_ + ".Workbooks.Open fileName=" + U8(arguments.file_name) +
                        " Editable=" + (arguments.editable ? "true" : "false");
    return Wrap(Logged(*server_, true, std::move(entry),
                       [&] { return inner_->Workbooks().Open(arguments); }));
  }

 private:
  std::shared_ptr<Workbook> Wrap(std::shared_ptr<Workbook> book) {
    if (!book) return book;
    const std::string label = U8(book->Name());
    return std::make_shared<RecordingWorkbook>(*server_, std::move(book), label);
  }

  RecordingServer* server_;
  std::shared_ptr<Application> inner_;
  std::string label_;
};

}  // namespace

std::shared_ptr<Application> RecordingServer::CreateObject(std::u16string_view prog_id) {
  log.push_back("CreateObject " + U8(prog_id));
  std::shared_ptr<Application> inner;
  try {
    inner = inner_->CreateObject(prog_id);
  } catch (const Failure& failure) {
    log.push_back("failed: " + U8(failure.description()));
    throw;
  }
  std::string label = NextApplicationLabel();
  log.back() += " -> " + label;
  return std::make_shared<RecordingApplication>(*this, std::move(inner), std::move(label));
}

std::shared_ptr<Application> RecordingServer::GetObject(std::u16string_view prog_id) {
  log.push_back("GetObject " + U8(prog_id));
  std::shared_ptr<Application> inner;
  try {
    inner = inner_->GetObject(prog_id);
  } catch (const Failure& failure) {
    log.push_back("failed: " + U8(failure.description()));
    throw;
  }
  std::string label = NextApplicationLabel();
  log.back() += " -> " + label;
  return std::make_shared<RecordingApplication>(*this, std::move(inner), std::move(label));
}

std::vector<std::string> RecordingServer::EntriesStartingWith(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& entry : log) {
    if (entry.compare(0, prefix.size(), prefix) == 0) found.push_back(entry);
  }
  return found;
}

int RecordingServer::IndexOf(const std::string& entry, int from) const {
  for (int i = from; i < static_cast<int>(log.size()); ++i) {
    if (log[i] == entry) return i;
  }
  return -1;
}

}  // namespace brintova::testing
