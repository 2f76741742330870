// The stand-in's object model: Application, Workbooks, Workbook, Sheets and Worksheets,
// Worksheet and chart sheet, Range, WorksheetFunction. Exactly the members the program uses,
// plus three for tests (StandInCalls, StandInProcessId, StandInBusyFor).
#include <algorithm>

#include "platform/com/standin/standin_dispatch.h"
#include "platform/com/standin/standin_instance.h"
#include "platform/text.h"

namespace brintova::standin {

namespace {

using com::Variant;

constexpr std::int32_t kTypeWorksheet = -4167;
constexpr std::int32_t kTypeChart = -4109;
constexpr std::int64_t kLargestBlock = 4 * 1024 * 1024;

const std::vector<std::u16string> kOpenParameters = {u"Filename",
                                                     u"UpdateLinks",
                                                     u"ReadOnly",
                                                     u"Format",
                                                     u"Password",
                                                     u"WriteResPassword",
                                                     u"IgnoreReadOnlyRecommended",
                                                     u"Origin",
                                                     u"Delimiter",
                                                     u"Editable",
                                                     u"Notify",
                                                     u"Converter",
                                                     u"AddToMru",
                                                     u"Local",
                                                     u"CorruptLoad"};

[[noreturn]] void ObjectDefinedError() {
  throw Raised{u"Application-defined or object-defined error"};
}

std::int32_t Whole(const Variant& value) {
  try {
    return value.ToInt32();
  } catch (...) {
    throw Raised{u"Type mismatch"};
  }
}

std::u16string FileNameOf(std::u16string_view path) {
  const std::size_t slash = path.find_last_of(u"\\/");
  return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

enum class RangeMode { kCells, kRows, kColumns };

class RangeObject : public AutomationObject {
 public:
  RangeObject(Instance& owner, std::shared_ptr<SheetModel> sheet, Area area,
              RangeMode mode = RangeMode::kCells)
      : AutomationObject(owner, sheet->name + u"!Range"),
        sheet_(std::move(sheet)),
        area_(area),
        mode_(mode) {
    AddMember({u"Text", {}, [this](const CallArguments&) -> Variant {
                 const Cell* cell = sheet_->Find(area_.top, area_.left);
                 return Variant(cell != nullptr ? std::u16string_view(cell->text) : u"");
               }});
    AddMember({u"Value", {}, [this](const CallArguments& call) -> Variant {
                 if (!call.IsPut()) return Value2();
                 const std::u16string text = call.new_value->ToText();
                 ForEachCell([&](std::int32_t r, std::int32_t c) { sheet_->Assign(r, c, text); });
                 return {};
               }});
    AddMember({u"Value2", {}, [this](const CallArguments&) { return Value2(); }});
    AddMember({u"NumberFormat", {}, [this](const CallArguments& call) -> Variant {
                 if (!call.IsPut()) {
                   const Cell* cell = sheet_->Find(area_.top, area_.left);
                   return Variant(cell != nullptr && !cell->format.empty()
                                      ? std::u16string_view(cell->format)
                                      : u"General");
                 }
                 const std::u16string code = call.new_value->ToText();
                 ForEachCell([&](std::int32_t r, std::int32_t c) { sheet_->Format(r, c, code); });
                 return {};
               }});
    AddMember({u"Row", {}, [this](const CallArguments&) { return Variant(area_.top); }});
    AddMember({u"Column", {}, [this](const CallArguments&) { return Variant(area_.left); }});
    AddMember({u"Count", {}, [this](const CallArguments&) {
                 const std::int64_t count = mode_ == RangeMode::kRows ? area_.bottom - area_.top + 1
                                            : mode_ == RangeMode::kColumns
                                                ? area_.right - area_.left + 1
                                                : area_.Cells();
                 return Variant(static_cast<double>(count));
               }});
    AddMember({u"Rows", {}, [this](const CallArguments&) {
                 return Returned(new RangeObject(instance(), sheet_, area_, RangeMode::kRows));
               }});
    AddMember({u"Columns", {}, [this](const CallArguments&) {
                 return Returned(new RangeObject(instance(), sheet_, area_, RangeMode::kColumns));
               }});
    AddMember({u"Item", {u"RowIndex", u"ColumnIndex"}, [this](const CallArguments& call) {
                 const std::int32_t i = Whole(call.At(0, u"RowIndex"));
                 Area item = area_;
                 if (mode_ == RangeMode::kRows) {
                   item.top = item.bottom = area_.top + i - 1;
                 } else if (mode_ == RangeMode::kColumns) {
                   item.left = item.right = area_.left + i - 1;
                 } else {
                   item.top = item.bottom = area_.top + i - 1;
                   const std::int32_t j = call.Has(1) ? Whole(call.At(1, u"ColumnIndex")) : 1;
                   item.left = item.right = area_.left + j - 1;
                 }
                 if (item.top < 1 || item.left < 1 || item.bottom > kMaxRow ||
                     item.right > kMaxColumn) {
                   ObjectDefinedError();
                 }
                 return Returned(new RangeObject(instance(), sheet_, item));
               }});
    SetDefaultMember(u"Item");
  }

  const SheetModel& sheet() const { return *sheet_; }
  const Area& area() const { return area_; }

 private:
  template <typename Visit>
  void ForEachCell(Visit visit) {
    if (area_.Cells() > kLargestBlock) throw Raised{u"Not enough memory"};
    for (std::int32_t r = area_.top; r <= area_.bottom; ++r) {
      for (std::int32_t c = area_.left; c <= area_.right; ++c) visit(r, c);
    }
  }

  Variant ValueOf(std::int32_t row, std::int32_t column) const {
    const Cell* cell = sheet_->Find(row, column);
    return cell != nullptr && cell->value ? Variant(std::u16string_view(*cell->value)) : Variant();
  }

  // One cell: its value. Several: a SAFEARRAY of rows by columns, from 1, column by column.
  Variant Value2() const {
    if (area_.Cells() == 1) return ValueOf(area_.top, area_.left);
    if (area_.Cells() > kLargestBlock) throw Raised{u"Not enough memory"};
    const std::int32_t rows = area_.bottom - area_.top + 1;
    const std::int32_t columns = area_.right - area_.left + 1;
    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(rows), 1}, {static_cast<ULONG>(columns), 1}};
    SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
    if (array == nullptr) throw Raised{u"Not enough memory"};
    VARIANT* data = nullptr;
    SafeArrayAccessData(array, reinterpret_cast<void**>(&data));
    for (auto it = sheet_->cells.lower_bound({area_.top, 0});
         it != sheet_->cells.end() && it->first.first <= area_.bottom; ++it) {
      const auto [row, column] = it->first;
      if (column < area_.left || column > area_.right || !it->second.value) continue;
      const std::size_t index = static_cast<std::size_t>(row - area_.top) +
                                static_cast<std::size_t>(column - area_.left) * rows;
      data[index] = ValueOf(row, column).Detach();
    }
    SafeArrayUnaccessData(array);
    VARIANT result;
    VariantInit(&result);
    result.vt = VT_ARRAY | VT_VARIANT;
    result.parray = array;
    return Variant::Adopt(result);
  }

  std::shared_ptr<SheetModel> sheet_;
  Area area_;
  RangeMode mode_;
};

class FunctionsObject : public AutomationObject {
 public:
  explicit FunctionsObject(Instance& owner) : AutomationObject(owner, u"WorksheetFunction") {
    std::vector<std::u16string> arguments;
    for (int i = 1; i <= 30; ++i) arguments.push_back(u"Arg" + DecimalText(i));
    AddMember({u"CountA", arguments, [](const CallArguments& call) {
                 double count = 0;
                 for (const auto& [position, value] : call.by_position) {
                   if (const auto* range = dynamic_cast<RangeObject*>(OwnObject(value))) {
                     count += static_cast<double>(range->sheet().CountValues(range->area()));
                   } else if (!value.IsEmpty()) {
                     count += 1;
                   }
                 }
                 return Variant(count);
               }});
  }
};

class SheetObject : public AutomationObject {
 public:
  SheetObject(Instance& owner, std::shared_ptr<SheetModel> sheet)
      : AutomationObject(owner, sheet->name, sheet.get()), sheet_(std::move(sheet)) {
    AddMember({u"Name", {}, [this](const CallArguments& call) -> Variant {
                 if (!call.IsPut()) return Variant(sheet_->name);
                 Rename(call.new_value->ToText());
                 return {};
               }});
    AddMember({u"Type", {}, [this](const CallArguments&) {
                 return Variant(IsChart() ? kTypeChart : kTypeWorksheet);
               }});
    AddMember({u"Application", {}, [this](const CallArguments&) {
                 instance().application()->AddRef();
                 return Returned(static_cast<AutomationObject*>(instance().application()));
               }});
    AddMember({u"UsedRange", {}, [this](const CallArguments&) {
                 RequireCells(u"UsedRange");
                 return Returned(new RangeObject(instance(), sheet_, sheet_->UsedRange()));
               }});
    AddMember(
        {u"Cells", {u"RowIndex", u"ColumnIndex"}, [this](const CallArguments& call) {
           RequireCells(u"Cells");
           if (!call.Has(0)) {
             return Returned(new RangeObject(instance(), sheet_, Area{1, 1, kMaxRow, kMaxColumn}));
           }
           const std::int32_t row = Whole(call.At(0, u"RowIndex"));
           const std::int32_t column = Whole(call.At(1, u"ColumnIndex"));
           if (row < 1 || row > kMaxRow || column < 1 || column > kMaxColumn) {
             ObjectDefinedError();
           }
           return Returned(new RangeObject(instance(), sheet_, Area{row, column, row, column}));
         }});
    AddMember({u"Range", {u"Cell1", u"Cell2"}, [this](const CallArguments& call) {
                 RequireCells(u"Range");
                 Area area = ParseAddress(call.At(0, u"Cell1").ToText());
                 if (call.Has(1)) {
                   const Area second = ParseAddress(call.At(1, u"Cell2").ToText());
                   area = Area{std::min(area.top, second.top), std::min(area.left, second.left),
                               std::max(area.bottom, second.bottom),
                               std::max(area.right, second.right)};
                 }
                 return Returned(new RangeObject(instance(), sheet_, area));
               }});
  }

  const std::shared_ptr<SheetModel>& model() const { return sheet_; }

 private:
  bool IsChart() const { return sheet_->type == SheetType::kChart; }
  // Name := name, refused as the application refuses it.
  void Rename(const std::u16string& name) {
    if (name.empty() || name.size() > 31 ||
        name.find_first_of(u":\\/?*[]") != std::u16string::npos || name.front() == u'\'' ||
        name.back() == u'\'') {
      throw Raised{u"You typed an invalid name for a sheet or chart."};
    }
    for (const auto& book : instance().books()) {
      const auto& sheets = book->sheets;
      if (std::find(sheets.begin(), sheets.end(), sheet_) == sheets.end()) continue;
      for (const auto& other : sheets) {
        if (other != sheet_ && AsciiLower(other->name) == AsciiLower(name)) {
          throw Raised{u"That name is already taken. Try a different one."};
        }
      }
    }
    sheet_->name = name;
  }
  void RequireCells(std::u16string_view member) const {
    if (IsChart()) {
      throw Raised{u"The sheet \"" + sheet_->name + u"\" is a chart sheet: it has no " +
                   std::u16string(member)};
    }
  }

  std::shared_ptr<SheetModel> sheet_;
};

com::Variant SheetFor(Instance& instance, const std::shared_ptr<SheetModel>& sheet) {
  if (AutomationObject* known = instance.Known(sheet.get())) return Returned(known);
  return Returned(new SheetObject(instance, sheet));
}

// Sheets (every sheet, with Add) or Worksheets (worksheets only) of a workbook.
class SheetsObject : public AutomationObject {
 public:
  SheetsObject(Instance& owner, std::shared_ptr<BookModel> book, bool worksheets_only)
      : AutomationObject(owner, book->name + (worksheets_only ? u".Worksheets" : u".Sheets")),
        book_(std::move(book)),
        worksheets_only_(worksheets_only) {
    AddMember({u"Count", {}, [this](const CallArguments&) {
                 return Variant(static_cast<std::int32_t>(Listed().size()));
               }});
    AddMember({u"Item", {u"Index"}, [this](const CallArguments& call) {
                 const auto listed = Listed();
                 const std::int32_t index = Whole(call.At(0, u"Index"));
                 if (index < 1 || index > static_cast<std::int32_t>(listed.size())) {
                   throw Raised{u"Subscript out of range"};
                 }
                 return SheetFor(instance(), listed[static_cast<std::size_t>(index - 1)]);
               }});
    SetDefaultMember(u"Item");
    AddMember({u"Add", {u"Before", u"After", u"Count", u"Type"}, [this](const CallArguments& call) {
                 return Add(call);
               }});
  }

 private:
  std::vector<std::shared_ptr<SheetModel>> Listed() const {
    std::vector<std::shared_ptr<SheetModel>> listed;
    for (const auto& sheet : book_->sheets) {
      if (!worksheets_only_ || sheet->type == SheetType::kWorksheet) listed.push_back(sheet);
    }
    return listed;
  }

  com::Variant Add(const CallArguments& call) {
    auto& sheets = book_->sheets;
    auto place = sheets.begin();
    if (call.Has(0)) {
      const auto* before = dynamic_cast<SheetObject*>(OwnObject(call.At(0, u"Before")));
      place = before == nullptr ? sheets.end()
                                : std::find(sheets.begin(), sheets.end(), before->model());
      if (place == sheets.end()) {
        throw Raised{u"Add method of Sheets class failed: the sheet to insert before is not in " +
                     book_->name};
      }
    }
    std::u16string name;
    for (int n = 1; name.empty(); ++n) {
      const std::u16string candidate = u"Sheet" + DecimalText(n);
      if (std::none_of(sheets.begin(), sheets.end(), [&](const auto& sheet) {
            return AsciiLower(sheet->name) == AsciiLower(candidate);
          })) {
        name = candidate;
      }
    }
    auto added = std::make_shared<SheetModel>(SheetModel{name, SheetType::kWorksheet, {}});
    sheets.insert(place, added);
    return SheetFor(instance(), added);
  }

  std::shared_ptr<BookModel> book_;
  bool worksheets_only_;
};

class WorkbookObject : public AutomationObject {
 public:
  WorkbookObject(Instance& owner, std::shared_ptr<BookModel> book)
      : AutomationObject(owner, book->name, book.get()), book_(std::move(book)) {
    AddMember({u"Name", {}, [this](const CallArguments&) { return Variant(book_->name); }});
    AddMember(
        {u"FullName", {}, [this](const CallArguments&) { return Variant(book_->full_name); }});
    AddMember({u"Sheets", {}, [this](const CallArguments&) {
                 return Returned(new SheetsObject(instance(), book_, false));
               }});
    AddMember({u"Worksheets", {}, [this](const CallArguments&) {
                 return Returned(new SheetsObject(instance(), book_, true));
               }});
  }

 private:
  std::shared_ptr<BookModel> book_;
};

com::Variant WorkbookFor(Instance& instance, const std::shared_ptr<BookModel>& book) {
  if (AutomationObject* known = instance.Known(book.get())) return Returned(known);
  return Returned(new WorkbookObject(instance, book));
}

class WorkbooksObject : public AutomationObject {
 public:
  explicit WorkbooksObject(Instance& owner) : AutomationObject(owner, u"Workbooks") {
    AddMember({u"Count", {}, [this](const CallArguments&) {
                 return Variant(static_cast<std::int32_t>(instance().books().size()));
               }});
    AddMember({u"Item", {u"Index"}, [this](const CallArguments& call) {
                 const auto& books = instance().books();
                 const std::int32_t index = Whole(call.At(0, u"Index"));
                 if (index < 1 || index > static_cast<std::int32_t>(books.size())) {
                   throw Raised{u"Subscript out of range"};
                 }
                 return WorkbookFor(instance(), books[static_cast<std::size_t>(index - 1)]);
               }});
    SetDefaultMember(u"Item");
    AddMember({u"Add", {u"Template"}, [this](const CallArguments&) {
                 const std::u16string name = u"Book" + DecimalText(instance().NextBookNumber());
                 auto book = std::make_shared<BookModel>(BookModel{name, name, {}});
                 book->sheets.push_back(std::make_shared<SheetModel>(
                     SheetModel{u"Sheet1", SheetType::kWorksheet, {}}));
                 instance().books().push_back(book);
                 return WorkbookFor(instance(), book);
               }});
    AddMember({u"Open", kOpenParameters, [this](const CallArguments& call) { return Open(call); }});
  }

 private:
  com::Variant Open(const CallArguments& call) {
    const std::u16string path = call.At(0, u"Filename").ToText();
    if (GetFileAttributesW(com::Wide(path)) == INVALID_FILE_ATTRIBUTES) {
      throw Raised{u"File not found: " + path};
    }
    const std::u16string name = FileNameOf(path);
    const auto fixture = instance().fixtures().find(AsciiLower(name));
    if (fixture == instance().fixtures().end()) {
      throw Raised{u"The file format or file extension of \"" + name + u"\" is not valid"};
    }
    auto book = std::make_shared<BookModel>(BookModel{name, path, {}});
    for (const SheetModel& sheet : fixture->second) {
      book->sheets.push_back(std::make_shared<SheetModel>(sheet));
    }
    instance().books().push_back(book);
    return WorkbookFor(instance(), book);
  }
};

class ApplicationObject : public AutomationObject, public IExternalConnection {
 public:
  explicit ApplicationObject(Instance& owner) : AutomationObject(owner, u"Application") {
    AddMember({u"Name", {}, [](const CallArguments&) { return Variant(u"Microsoft Excel"); }});
    SetDefaultMember(u"Name");
    AddMember({u"Workbooks", {}, [this](const CallArguments&) {
                 return Returned(new WorkbooksObject(instance()));
               }});
    AddMember({u"Visible", {}, [this](const CallArguments& call) -> Variant {
                 if (!call.IsPut()) return Variant(instance().visible());
                 instance().SetVisible(call.new_value->ToBool());
                 return {};
               }});
    AddMember({u"Quit", {}, [this](const CallArguments&) {
                 instance().Quit();
                 return Variant();
               }});
    AddMember({u"WorksheetFunction", {}, [this](const CallArguments&) {
                 return Returned(new FunctionsObject(instance()));
               }});
    AddMember({u"StandInCalls", {}, [this](const CallArguments&) {
                 return Variant(instance().TakeLog());
               }});
    AddMember({u"StandInProcessId", {}, [](const CallArguments&) {
                 return Variant(static_cast<std::int32_t>(GetCurrentProcessId()));
               }});
    AddMember({u"StandInBusyFor", {}, [this](const CallArguments& call) {
                 instance().SetBusyFor(static_cast<DWORD>(Whole(*call.new_value)));
                 return Variant();
               }});
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IExternalConnection) {
      *out = static_cast<IExternalConnection*>(this);
      AutomationObject::AddRef();
      return S_OK;
    }
    return AutomationObject::QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return AutomationObject::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return AutomationObject::Release(); }

  // Connections of clients in other processes: the instance ends when the last one goes.
  DWORD STDMETHODCALLTYPE AddConnection(DWORD type, DWORD) override {
    if (type & EXTCONN_STRONG) instance().ConnectionAdded();
    return 0;
  }
  DWORD STDMETHODCALLTYPE ReleaseConnection(DWORD type, DWORD, BOOL) override {
    if (type & EXTCONN_STRONG) instance().ConnectionReleased();
    return 0;
  }

 protected:
  bool AnswersAfterQuit(const Member& member) const override {
    return member.name.starts_with(u"StandIn");
  }
};

}  // namespace

AutomationObject* NewApplication(Instance& instance) { return new ApplicationObject(instance); }

}  // namespace brintova::standin
