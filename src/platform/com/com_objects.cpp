#include "platform/com/com_objects.h"

#include "platform/com/dispatch.h"
#include "platform/failure.h"

namespace brintova::com {

namespace {

// Sheet types as the application reports them in a sheet's Type.
constexpr std::int32_t kTypeWorksheet = -4167;
constexpr std::int32_t kTypeDialogSheet = -4116;

[[noreturn]] void ThrowNotASheetOfThisServer() {
  throw Failure(u"The sheet to insert before does not belong to the spreadsheet application",
                kFailureInvalidArgument);
}

}  // namespace

template <typename T>
std::shared_ptr<T> ObjectCache::Find(std::map<IUnknown*, std::weak_ptr<T>>& objects,
                                     ComPtr<IDispatch> object) {
  IUnknown* const identity = Identity(object.get());
  if (auto it = objects.find(identity); it != objects.end()) {
    if (std::shared_ptr<T> known = it->second.lock()) return known;
  }
  // Entries whose objects are gone would only grow the map.
  std::erase_if(objects, [](const auto& entry) { return entry.second.expired(); });
  std::shared_ptr<T> made;
  if constexpr (std::is_same_v<T, ComSheet>) {
    made = std::make_shared<T>(std::move(object), block_reads_);
  } else {
    made = std::make_shared<T>(std::move(object), shared_from_this());
  }
  objects[identity] = made;
  return made;
}

std::shared_ptr<ComApplication> ObjectCache::ApplicationOf(ComPtr<IDispatch> object) {
  return Find(applications_, std::move(object));
}
std::shared_ptr<ComWorkbook> ObjectCache::WorkbookOf(ComPtr<IDispatch> object) {
  return Find(workbooks_, std::move(object));
}
std::shared_ptr<ComSheet> ObjectCache::SheetOf(ComPtr<IDispatch> object) {
  return Find(sheets_, std::move(object));
}

// --- ComApplication ---

std::u16string ComApplication::Value() { return Get(object_.get(), u"").ToText(); }

void ComApplication::SetVisible(bool visible) { Put(object_.get(), u"Visible", Variant(visible)); }

void ComApplication::Quit() { Call(object_.get(), u"Quit"); }

std::int32_t ComApplication::Count() {
  return Get(GetChild(object_.get(), u"Workbooks").get(), u"Count").ToInt32();
}

std::shared_ptr<Workbook> ComApplication::Item(std::int32_t index) {
  const ComPtr<IDispatch> books = GetChild(object_.get(), u"Workbooks");
  return cache_->WorkbookOf(GetChild(books.get(), u"Item", {Positional(index)}));
}

std::shared_ptr<Workbook> ComApplication::Add() {
  const ComPtr<IDispatch> books = GetChild(object_.get(), u"Workbooks");
  return cache_->WorkbookOf(GetChild(books.get(), u"Add"));
}

std::shared_ptr<Workbook> ComApplication::Open(std::u16string_view path) {
  const ComPtr<IDispatch> books = GetChild(object_.get(), u"Workbooks");
  return cache_->WorkbookOf(GetChild(books.get(), u"Open", {Positional(Variant(path))}));
}

std::shared_ptr<Workbook> ComApplication::Open(const OpenArguments& arguments) {
  const ComPtr<IDispatch> books = GetChild(object_.get(), u"Workbooks");
  return cache_->WorkbookOf(GetChild(books.get(), u"Open",
                                     {Named(u"fileName", Variant(arguments.file_name)),
                                      Named(u"Editable", Variant(arguments.editable))}));
}

// --- ComWorkbook ---

std::u16string ComWorkbook::Name() { return Get(object_.get(), u"Name").ToText(); }

std::u16string ComWorkbook::FullName() { return Get(object_.get(), u"FullName").ToText(); }

std::vector<std::shared_ptr<Sheet>> ComWorkbook::Worksheets() {
  const ComPtr<IDispatch> worksheets = GetChild(object_.get(), u"Worksheets");
  const std::int32_t count = Get(worksheets.get(), u"Count").ToInt32();
  std::vector<std::shared_ptr<Sheet>> result;
  for (std::int32_t index = 1; index <= count; ++index) {
    result.push_back(cache_->SheetOf(GetChild(worksheets.get(), u"Item", {Positional(index)})));
  }
  return result;
}

std::int32_t ComWorkbook::Count() {
  return Get(GetChild(object_.get(), u"Sheets").get(), u"Count").ToInt32();
}

std::shared_ptr<Sheet> ComWorkbook::Item(std::int32_t index) {
  const ComPtr<IDispatch> sheets = GetChild(object_.get(), u"Sheets");
  return cache_->SheetOf(GetChild(sheets.get(), u"Item", {Positional(index)}));
}

std::shared_ptr<Sheet> ComWorkbook::Add(const std::shared_ptr<Sheet>& before) {
  const auto* const place = dynamic_cast<const ComSheet*>(before.get());
  if (place == nullptr) ThrowNotASheetOfThisServer();
  const ComPtr<IDispatch> sheets = GetChild(object_.get(), u"Sheets");
  return cache_->SheetOf(
      GetChild(sheets.get(), u"Add", {Named(u"Before", Variant(place->dispatch()))}));
}

// --- ComSheet ---

SheetKind ComSheet::Kind() {
  const std::int32_t type = Get(object_.get(), u"Type").ToInt32();
  if (type == kTypeWorksheet) return SheetKind::kWorksheet;
  if (type == kTypeDialogSheet) return SheetKind::kDialog;
  return SheetKind::kChart;  // a chart sheet answers its chart's type here
}

std::u16string ComSheet::Name() { return Get(object_.get(), u"Name").ToText(); }

void ComSheet::SetName(std::u16string_view name) { Put(object_.get(), u"Name", Variant(name)); }

// UsedRange.Rows(UsedRange.Rows.Count).Row, and the same for the columns.
CellPosition ComSheet::UsedRangeEnd() {
  const ComPtr<IDispatch> used = GetChild(object_.get(), u"UsedRange");
  CellPosition end;
  {
    const ComPtr<IDispatch> rows = GetChild(used.get(), u"Rows");
    const std::int32_t count = Get(rows.get(), u"Count").ToInt32();
    end.row = Get(GetChild(rows.get(), u"Item", {Positional(count)}).get(), u"Row").ToInt32();
  }
  const ComPtr<IDispatch> columns = GetChild(used.get(), u"Columns");
  const std::int32_t count = Get(columns.get(), u"Count").ToInt32();
  end.column =
      Get(GetChild(columns.get(), u"Item", {Positional(count)}).get(), u"Column").ToInt32();
  return end;
}

ComPtr<IDispatch> ComSheet::CellAt(CellPosition cell) {
  return GetChild(object_.get(), u"Cells", {Positional(cell.row), Positional(cell.column)});
}

std::u16string ComSheet::CellText(CellPosition cell) {
  return Get(CellAt(cell).get(), u"Text").ToText();
}

void ComSheet::SetCellValue(CellPosition cell, std::u16string_view value) {
  cells_.Forget();
  Put(CellAt(cell).get(), u"Value", Variant(value));
}

void ComSheet::SetCellNumberFormat(CellPosition cell, std::u16string_view code) {
  cells_.Forget();
  Put(CellAt(cell).get(), u"NumberFormat", Variant(code));
}

std::optional<CellPosition> ComSheet::NextCellWithContent(CellPosition from, CellPosition end) {
  if (!block_reads_) return from;
  return cells_.Next(from, end);
}

}  // namespace brintova::com
