// FakeForm: the main window and its controls in memory. Every call that matters for order is
// appended to `log` ("Form.SetLeft 100", "Skin.Method2 /p/x/o.cjs"), so tests can compare
// sequences; each control also keeps its state for direct checks.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/window.h"

namespace brintova::testing {

using CallLog = std::vector<std::string>;

class FakeListView : public ListView {
 public:
  explicit FakeListView(CallLog& log) : log_(&log) {}
  std::vector<std::u16string> headers;
  std::vector<std::int32_t> header_widths;
  std::vector<std::u16string> rows;
  std::optional<std::int32_t> selected;  // 1-based

  void AddColumnHeader(std::u16string_view text) override;
  void SetColumnHeaderWidth(std::int32_t twips) override;
  void Add(std::u16string_view text) override { rows.emplace_back(text); }
  std::int32_t Count() override { return static_cast<std::int32_t>(rows.size()); }
  std::u16string Item(std::int32_t index) override;
  std::int32_t SelectedIndex() override;
  void Remove(std::int32_t index) override;
  void Clear() override;

 private:
  CallLog* log_;
};

class FakeComboBox : public ComboBox {
 public:
  explicit FakeComboBox(CallLog& log) : log_(&log) {}
  std::vector<std::u16string> entries;
  std::int32_t list_index = -1;
  std::function<void()> on_click;  // raised by SetListIndex

  void AddItem(std::u16string_view text) override;
  std::int32_t ListCount() override { return static_cast<std::int32_t>(entries.size()); }
  std::u16string List(std::int32_t index) override;
  std::int32_t ListIndex() override { return list_index; }
  void SetListIndex(std::int32_t index) override;

 private:
  CallLog* log_;
};

class FakeOptionButton : public OptionButton {
 public:
  bool value = false;
  int reads = 0;
  bool Value() override {
    ++reads;
    return value;
  }
};

class FakeProgressBar : public ProgressBar {
 public:
  std::vector<std::int32_t> history;
  std::int32_t value = 0;
  void SetValue(std::int32_t v) override {
    value = v;
    history.push_back(v);
  }
  std::int32_t Value() override { return value; }
};

// The dialog's answer is scripted: `result` becomes FileName() on ShowOpen, or `failure` is
// thrown.
class FakeFileDialog : public FileDialog {
 public:
  explicit FakeFileDialog(CallLog& log) : log_(&log) {}
  std::u16string result;
  std::optional<Failure> failure;
  std::u16string file_name, title, filter;
  std::int32_t flags = 0;
  int shown = 0;

  void SetFileName(std::u16string_view name) override;
  std::u16string FileName() override { return file_name; }
  void SetFlags(std::int32_t f) override;
  void SetDialogTitle(std::u16string_view t) override;
  void SetFilter(std::u16string_view f) override;
  void ShowOpen() override;

 private:
  CallLog* log_;
};

class FakeSkinEngine : public SkinEngine {
 public:
  explicit FakeSkinEngine(CallLog& log) : log_(&log) {}
  std::int32_t property1 = 0;
  std::optional<Failure> fail_method2;

  void Method2(std::u16string_view skin_path, std::u16string_view section) override;
  std::int32_t Property1() override;
  void SetProperty1(std::int32_t value) override;
  void SetProperty5(bool value) override;
  void SetProperty10(bool value) override;
  void Method3(std::int64_t window_handle) override;

 private:
  CallLog* log_;
};

class FakeControl : public Control {
 public:
  FakeControl(std::u16string name, ControlKind kind, std::uint32_t back_colour)
      : name_(std::move(name)), kind_(kind), back_colour(back_colour) {}
  std::u16string Name() override { return name_; }
  ControlKind Kind() override { return kind_; }
  void SetBackColor(std::uint32_t colour) override { back_colour = colour; }

 private:
  std::u16string name_;
  ControlKind kind_;

 public:
  std::uint32_t back_colour;
};

class FakeForm : public Form {
 public:
  FakeForm();

  CallLog log;
  std::int32_t width = 8130, height = 6105;  // outer size with a border, twips
  std::int32_t screen_width = 28800, screen_height = 16200;
  std::optional<std::int32_t> left, top;
  std::u16string caption = u"Form1";
  bool has_application_icon = false;
  std::uint32_t back_colour = kColourWhite;
  std::int32_t mouse_pointer = kPointerDefault;
  std::u16string mouse_icon;
  std::optional<Failure> fail_center;  // thrown by SetLeft
  std::optional<Failure> fail_mouse_icon;
  int do_events = 0;
  std::function<void()> on_do_events;  // runs inside DoEvents, as a pending event would

  FakeListView list_view{log};
  FakeComboBox combo{log};
  FakeOptionButton option1, option2;
  FakeProgressBar progress_bar;
  FakeFileDialog file_dialog{log};
  FakeSkinEngine skin{log};
  std::vector<std::unique_ptr<FakeControl>> controls;

  FakeControl& control(std::u16string_view name);

  std::int32_t Width() override { return width; }
  std::int32_t Height() override { return height; }
  void SetLeft(std::int32_t twips) override;
  void SetTop(std::int32_t twips) override;
  std::int32_t ScreenWidth() override { return screen_width; }
  std::int32_t ScreenHeight() override { return screen_height; }
  void SetCaption(std::u16string_view text) override;
  void SetApplicationIcon() override;
  void SetBackColor(std::uint32_t colour) override;
  std::int64_t WindowHandle() override { return 4242; }
  std::int32_t MousePointer() override { return mouse_pointer; }
  void SetMousePointer(std::int32_t state) override;
  void LoadMouseIcon(std::u16string_view path) override;
  void DoEvents() override;
  std::vector<Control*> Controls() override;
  ListView& ListView1() override { return list_view; }
  ComboBox& Combo1() override { return combo; }
  OptionButton& Option1() override { return option1; }
  OptionButton& Option2() override { return option2; }
  ProgressBar& ProgressBar1() override { return progress_bar; }
  FileDialog& CommonDialog1() override { return file_dialog; }
  SkinEngine& SkinFramework1() override { return skin; }
};

}  // namespace brintova::testing
