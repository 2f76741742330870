// The ports without a window, for the command line: a form whose list is filled from the
// arguments, message boxes passed to a sink (standard error), input boxes answered by a fixed
// parameter, and inert settings and shell.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialogs.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/window.h"

namespace brintova::cli {

class HeadlessListView : public ListView {
 public:
  void AddColumnHeader(std::u16string_view) override {}
  void SetColumnHeaderWidth(std::int32_t) override {}
  void Add(std::u16string_view text) override { rows_.emplace_back(text); }
  std::int32_t Count() override { return static_cast<std::int32_t>(rows_.size()); }
  // Throws Failure when index is outside 1..Count().
  std::u16string Item(std::int32_t index) override;
  // Throws Failure: nothing is ever selected without a window.
  std::int32_t SelectedIndex() override;
  // Throws Failure when index is outside 1..Count().
  void Remove(std::int32_t index) override;
  void Clear() override { rows_.clear(); }

  const std::vector<std::u16string>& rows() const { return rows_; }

 private:
  std::vector<std::u16string> rows_;
};

// Combo1 holding the eleven operation captions.
class HeadlessComboBox : public ComboBox {
 public:
  HeadlessComboBox();
  void AddItem(std::u16string_view text) override { items_.emplace_back(text); }
  std::int32_t ListCount() override { return static_cast<std::int32_t>(items_.size()); }
  // Throws Failure when index is outside 0..ListCount()-1.
  std::u16string List(std::int32_t index) override;
  std::int32_t ListIndex() override { return index_; }
  // Throws Failure for an index outside -1..ListCount()-1.
  void SetListIndex(std::int32_t index) override;

 private:
  std::vector<std::u16string> items_;
  std::int32_t index_ = -1;
};

class HeadlessOptionButton : public OptionButton {
 public:
  bool Value() override { return value_; }
  void SetValue(bool value) { value_ = value; }

 private:
  bool value_ = false;
};

class HeadlessProgressBar : public ProgressBar {
 public:
  void SetValue(std::int32_t value) override { value_ = value; }
  std::int32_t Value() override { return value_; }

 private:
  std::int32_t value_ = 0;
};

// There is no file dialog without a window: showing it fails.
class UnavailableFileDialog : public FileDialog {
 public:
  void SetFileName(std::u16string_view) override {}
  std::u16string FileName() override { return {}; }
  void SetFlags(std::int32_t) override {}
  void SetDialogTitle(std::u16string_view) override {}
  void SetFilter(std::u16string_view) override {}
  // Throws Failure.
  void ShowOpen() override;
};

class NoSkinEngine : public SkinEngine {
 public:
  void Method2(std::u16string_view, std::u16string_view) override {}
  std::int32_t Property1() override { return 0; }
  void SetProperty1(std::int32_t) override {}
  void SetProperty5(bool) override {}
  void SetProperty10(bool) override {}
  void Method3(std::int64_t) override {}
};

// Form1 without a screen: geometry is zero, events never wait, the pointer state is kept.
class HeadlessForm : public Form {
 public:
  std::int32_t Width() override { return 0; }
  std::int32_t Height() override { return 0; }
  void SetLeft(std::int32_t) override {}
  void SetTop(std::int32_t) override {}
  std::int32_t ScreenWidth() override { return 0; }
  std::int32_t ScreenHeight() override { return 0; }
  void SetCaption(std::u16string_view) override {}
  void SetApplicationIcon() override {}
  void SetBackColor(std::uint32_t) override {}
  std::int64_t WindowHandle() override { return 0; }
  std::int32_t MousePointer() override { return pointer_; }
  void SetMousePointer(std::int32_t state) override { pointer_ = state; }
  // Throws Failure: there is no pointer to load a cursor for.
  void LoadMouseIcon(std::u16string_view path) override;
  void DoEvents() override {}
  std::vector<Control*> Controls() override { return {}; }
  HeadlessListView& ListView1() override { return list_; }
  HeadlessComboBox& Combo1() override { return combo_; }
  HeadlessOptionButton& Option1() override { return option1_; }
  HeadlessOptionButton& Option2() override { return option2_; }
  HeadlessProgressBar& ProgressBar1() override { return progress_; }
  UnavailableFileDialog& CommonDialog1() override { return file_dialog_; }
  NoSkinEngine& SkinFramework1() override { return skin_; }

  // The output mode as the two option buttons show it: exactly one of them is set.
  void SetNewWorkbookMode(bool new_workbook) {
    option1_.SetValue(!new_workbook);
    option2_.SetValue(new_workbook);
  }

 private:
  std::int32_t pointer_ = kPointerDefault;
  HeadlessListView list_;
  HeadlessComboBox combo_;
  HeadlessOptionButton option1_;
  HeadlessOptionButton option2_;
  HeadlessProgressBar progress_;
  UnavailableFileDialog file_dialog_;
  NoSkinEngine skin_;
};

// Message boxes go to `sink` as text (the run's closing "Done." is dropped: the front end
// prints its own summary); a Yes/No question is answered Yes. Every input box is answered with
// `answer`, or with the empty text (as Cancel) when there is none.
class HeadlessDialogs : public Dialogs {
 public:
  using Sink = std::function<void(std::u16string_view text)>;
  HeadlessDialogs(std::optional<std::u16string> answer, Sink sink)
      : answer_(std::move(answer)), sink_(std::move(sink)) {}

  MessageResult MessageBox(std::u16string_view text, MessageButtons buttons, MessageIcon icon,
                           std::u16string_view title) override;
  std::u16string InputBox(std::u16string_view prompt, std::u16string_view title,
                          std::u16string_view default_text) override;

  std::int32_t input_boxes_shown() const { return input_boxes_shown_; }

 private:
  std::optional<std::u16string> answer_;
  Sink sink_;
  std::int32_t input_boxes_shown_ = 0;
};

// No settings are kept between command-line runs: reads give the default, writes are dropped.
class TransientSettings : public SettingsStore {
 public:
  std::u16string GetSetting(std::u16string_view, std::u16string_view, std::u16string_view,
                            std::u16string_view default_value) override {
    return std::u16string(default_value);
  }
  void SaveSetting(std::u16string_view, std::u16string_view, std::u16string_view,
                   std::u16string_view) override {}
};

// No desktop: no folder browser (answers Cancel), nothing is opened.
class HeadlessShell : public Shell {
 public:
  explicit HeadlessShell(std::u16string program_folder)
      : program_folder_(std::move(program_folder)) {}
  std::u16string ProgramFolder() override { return program_folder_; }
  std::u16string BrowseForFolder(std::u16string_view) override { return {}; }
  void ShellExecute(std::u16string_view, std::u16string_view) override {}

 private:
  std::u16string program_folder_;
};

// A message box's text for a terminal, as UTF-8: every CR LF and every lone CR becomes a line
// feed, so the standard error box's lines show as lines, and every other control character
// but tab (C0, DEL, C1, as a file name or a cell may hold them) is written \xHH, so that
// nothing printed drives the terminal.
std::string TerminalText(std::u16string_view text);
std::string TerminalText(std::string_view utf8);

// True for a C0 or C1 control character or DEL.
bool IsControlCharacter(char16_t c);
// Appends `c`, or \xHH (lower-case hex) when it is a control character.
void AppendControlEscaped(std::u16string& out, char16_t c);

}  // namespace brintova::cli
