// The objects of the spreadsheet server port over automation objects: an application (with its
// Workbooks), a workbook (with its Sheets) and a sheet. Each holds its automation object while
// the caller holds it; collections are asked for afresh on each call and let go at once.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/com/sparse_cells.h"
#include "platform/com/variant.h"
#include "platform/spreadsheet_server.h"

namespace brintova::com {

class ComApplication;
class ComWorkbook;
class ComSheet;

// One port object per automation object, so that the same sheet asked for twice is the same
// object (and can be passed back as "before"). Keyed by COM identity; holds no references.
class ObjectCache : public std::enable_shared_from_this<ObjectCache> {
 public:
  explicit ObjectCache(bool block_reads) : block_reads_(block_reads) {}

  std::shared_ptr<ComApplication> ApplicationOf(ComPtr<IDispatch> object);
  std::shared_ptr<ComWorkbook> WorkbookOf(ComPtr<IDispatch> object);
  std::shared_ptr<ComSheet> SheetOf(ComPtr<IDispatch> object);

 private:
  template <typename T>
  std::shared_ptr<T> Find(std::map<IUnknown*, std::weak_ptr<T>>& objects, ComPtr<IDispatch> object);

  std::map<IUnknown*, std::weak_ptr<ComApplication>> applications_;
  std::map<IUnknown*, std::weak_ptr<ComWorkbook>> workbooks_;
  std::map<IUnknown*, std::weak_ptr<ComSheet>> sheets_;
  bool block_reads_;
};

class ComApplication : public Application, public WorkbookCollection {
 public:
  ComApplication(ComPtr<IDispatch> object, std::shared_ptr<ObjectCache> cache)
      : object_(std::move(object)), cache_(std::move(cache)) {}

  std::u16string Value() override;
  WorkbookCollection& Workbooks() override { return *this; }
  void SetVisible(bool visible) override;
  void Quit() override;

  std::int32_t Count() override;
  std::shared_ptr<Workbook> Item(std::int32_t index) override;
  std::shared_ptr<Workbook> Add() override;
  std::shared_ptr<Workbook> Open(std::u16string_view path) override;
  std::shared_ptr<Workbook> Open(const OpenArguments& arguments) override;

  IDispatch* dispatch() const { return object_.get(); }

 private:
  ComPtr<IDispatch> object_;
  std::shared_ptr<ObjectCache> cache_;
};

class ComWorkbook : public Workbook, public SheetCollection {
 public:
  ComWorkbook(ComPtr<IDispatch> object, std::shared_ptr<ObjectCache> cache)
      : object_(std::move(object)), cache_(std::move(cache)) {}

  std::u16string Name() override;
  std::u16string FullName() override;
  SheetCollection& Sheets() override { return *this; }
  std::vector<std::shared_ptr<Sheet>> Worksheets() override;

  std::int32_t Count() override;
  std::shared_ptr<Sheet> Item(std::int32_t index) override;
  // Throws Failure when `before` is not a sheet of this server.
  std::shared_ptr<Sheet> Add(const std::shared_ptr<Sheet>& before) override;

 private:
  ComPtr<IDispatch> object_;
  std::shared_ptr<ObjectCache> cache_;
};

class ComSheet : public Sheet {
 public:
  ComSheet(ComPtr<IDispatch> object, bool block_reads)
      : object_(std::move(object)), cells_(object_.get()), block_reads_(block_reads) {}

  SheetKind Kind() override;
  std::u16string Name() override;
  void SetName(std::u16string_view name) override;
  CellPosition UsedRangeEnd() override;
  std::u16string CellText(CellPosition cell) override;
  void SetCellValue(CellPosition cell, std::u16string_view value) override;
  void SetCellNumberFormat(CellPosition cell, std::u16string_view code) override;
  std::optional<CellPosition> NextCellWithContent(CellPosition from, CellPosition end) override;

  IDispatch* dispatch() const { return object_.get(); }
  const SparseCells& sparse_cells() const { return cells_; }

 private:
  ComPtr<IDispatch> CellAt(CellPosition cell);

  ComPtr<IDispatch> object_;
  SparseCells cells_;
  bool block_reads_;
};

}  // namespace brintova::com
