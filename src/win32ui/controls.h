// The window's controls behind their ports: the file list (a virtual report list view whose
// rows live here), the drop-down, the option buttons, the progress bar, any control as the
// skin step walks them, the skin engine, and the files of a drop.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/windows_api.h"
#include "platform/window.h"

namespace brintova::win32ui {

// Throws Failure for a system colour the system does not have.
COLORREF ColourRef(std::uint32_t colour);

class Win32ListView : public ListView {
 public:
  // `dots_per_inch` tells the window's current resolution, for column widths in twips.
  Win32ListView(HWND list, std::function<int()> dots_per_inch)
      : list_(list), dots_per_inch_(std::move(dots_per_inch)) {}

  void AddColumnHeader(std::u16string_view text) override;
  void SetColumnHeaderWidth(std::int32_t twips) override;
  void Add(std::u16string_view text) override;
  std::int32_t Count() override { return static_cast<std::int32_t>(rows_.size()); }
  std::u16string Item(std::int32_t index) override;
  std::int32_t SelectedIndex() override;
  void Remove(std::int32_t index) override;
  void Clear() override;

  // Answers the control's request for a row's text (LVN_GETDISPINFOW).
  void FillDisplayInfo(NMLVDISPINFOW& info) const;
  // The width of column `index` in twips (as the user may have dragged it).
  std::int32_t ColumnWidthTwips(int index) const;

 private:
  HWND list_;
  std::function<int()> dots_per_inch_;
  std::vector<std::u16string> rows_;
  int columns_ = 0;
};

class Win32ComboBox : public ComboBox {
 public:
  Win32ComboBox(HWND box, std::function<void()>& click) : box_(box), click_(&click) {}
  void AddItem(std::u16string_view text) override;
  std::int32_t ListCount() override;
  std::u16string List(std::int32_t index) override;
  std::int32_t ListIndex() override;
  // Raises the click event without catching what it throws: the caller is a handler.
  void SetListIndex(std::int32_t index) override;

 private:
  HWND box_;
  std::function<void()>* click_;
};

class Win32OptionButton : public OptionButton {
 public:
  explicit Win32OptionButton(HWND button) : button_(button) {}
  bool Value() override { return SendMessageW(button_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

 private:
  HWND button_;
};

class Win32ProgressBar : public ProgressBar {
 public:
  explicit Win32ProgressBar(HWND bar) : bar_(bar) {}
  // Throws Failure outside 0..100.
  void SetValue(std::int32_t value) override;
  std::int32_t Value() override;

 private:
  HWND bar_;
};

// A control by name and kind; `set_back_colour` is empty for the controls that have no back
// colour (those not visible at run time among them).
class Win32Control : public Control {
 public:
  Win32Control(std::u16string name, ControlKind kind,
               std::function<void(std::uint32_t)> set_back_colour = {})
      : name_(std::move(name)), kind_(kind), set_back_colour_(std::move(set_back_colour)) {}
  std::u16string Name() override { return name_; }
  ControlKind Kind() override { return kind_; }
  void SetBackColor(std::uint32_t colour) override;

 private:
  std::u16string name_;
  ControlKind kind_;
  std::function<void(std::uint32_t)> set_back_colour_;
};

// SkinFramework1: loading checks that the skin file can be read; applying gives the window's
// controls the platform's visual styles (the common controls of the manifest already draw
// with them; the file list takes the desktop's list style).
class Win32SkinEngine : public SkinEngine {
 public:
  explicit Win32SkinEngine(std::function<HWND()> window) : window_(std::move(window)) {}
  // Throws Failure when the file cannot be read.
  void Method2(std::u16string_view skin_path, std::u16string_view section) override;
  std::int32_t Property1() override { return flags_; }
  void SetProperty1(std::int32_t value) override { flags_ = value; }
  void SetProperty5(bool value) override { property5_ = value; }
  void SetProperty10(bool value) override { property10_ = value; }
  // Throws Failure when no skin was loaded or the handle is not the main window's.
  void Method3(std::int64_t window_handle) override;

  bool applied() const { return applied_; }

 private:
  std::function<HWND()> window_;
  bool loaded_ = false, applied_ = false;
  std::int32_t flags_ = 0;
  bool property5_ = false, property10_ = false;
};

// The files of a drop from the desktop (WM_DROPFILES): the shell's file list, format 15, is the
// only format such a drop carries.
class HdropData : public DataObject {
 public:
  explicit HdropData(HDROP drop) : drop_(drop) {}
  bool GetFormat(std::int32_t format) override { return format == kFormatFileList; }
  std::int32_t FileCount() override;
  // Throws Failure for an index outside 1..FileCount().
  std::u16string File(std::int32_t index) override;

 private:
  HDROP drop_;
};

}  // namespace brintova::win32ui
