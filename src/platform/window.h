// The main window's controls as the handlers use them: the list view, the open-file dialog,
// the push buttons, progress bar and skin engine, the window's own drop-down, option buttons
// and frames, and the window itself with its pointer state. Geometry is in twips.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brintova {

// Colour values: 0x00BBGGRR, or 0x80000000 | n for system colour n.
inline constexpr std::uint32_t kColourWhite = 0x00FFFFFF;
inline constexpr std::uint32_t kColourButtonFace = 0x8000000F;

// Pointer states of the main window.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerBusy = 11;
inline constexpr int kPointerCustom = 99;

// ListView1: a report list with one column; rows counted from 1.
class ListView {
 public:
  virtual ~ListView() = default;
  virtual void AddColumnHeader(std::u16string_view text) = 0;
  // Width of the column added last. Throws Failure when there is none.
  virtual void SetColumnHeaderWidth(std::int32_t twips) = 0;
  virtual void Add(std::u16string_view text) = 0;
  virtual std::int32_t Count() = 0;
  // Throws Failure when index is outside 1..Count().
  virtual std::u16string Item(std::int32_t index) = 0;
  // SelectedItem's index. Throws Failure (object not set) when no row is selected.
  virtual std::int32_t SelectedIndex() = 0;
  // Throws Failure when index is outside 1..Count().
  virtual void Remove(std::int32_t index) = 0;
  virtual void Clear() = 0;
};

// Combo1: a drop-down list; ListIndex -1 means no selection.
class ComboBox {
 public:
  virtual ~ComboBox() = default;
  virtual void AddItem(std::u16string_view text) = 0;
  virtual std::int32_t ListCount() = 0;
  virtual std::u16string List(std::int32_t index) = 0;
  virtual std::int32_t ListIndex() = 0;
  // Selects the entry (or none for -1) and raises the click event, as the user's pick does.
  // Throws Failure for an index outside -1..ListCount()-1.
  virtual void SetListIndex(std::int32_t index) = 0;
};

// Option1, Option2.
class OptionButton {
 public:
  virtual ~OptionButton() = default;
  virtual bool Value() = 0;
};

// ProgressBar1: range 0 to 100.
class ProgressBar {
 public:
  virtual ~ProgressBar() = default;
  virtual void SetValue(std::int32_t value) = 0;
  virtual std::int32_t Value() = 0;
};

// CommonDialog1 used as an open-file dialog.
class FileDialog {
 public:
  virtual ~FileDialog() = default;
  virtual void SetFileName(std::u16string_view name) = 0;
  // One chosen file: its full path. Several: the folder and the names, separated by NUL.
  // Empty after Cancel.
  virtual std::u16string FileName() = 0;
  virtual void SetFlags(std::int32_t flags) = 0;
  virtual void SetDialogTitle(std::u16string_view title) = 0;
  // "Description|pattern" pairs separated by "|".
  virtual void SetFilter(std::u16string_view filter) = 0;
  // Modal. Cancel is no failure. Throws Failure numbered kFailureDialogBufferTooSmall when the
  // result text does not fit 260 characters.
  virtual void ShowOpen() = 0;
};

// SkinFramework1, reached by dispatch identifier only.
class SkinEngine {
 public:
  virtual ~SkinEngine() = default;
  virtual void Method2(std::u16string_view skin_path, std::u16string_view section) = 0;
  virtual std::int32_t Property1() = 0;
  virtual void SetProperty1(std::int32_t value) = 0;
  virtual void SetProperty5(bool value) = 0;
  virtual void SetProperty10(bool value) = 0;
  virtual void Method3(std::int64_t window_handle) = 0;
};

// The data of a drag over or a drop on the list.
class DataObject {
 public:
  virtual ~DataObject() = default;
  // Whether the data offers `format`; kFormatFileList is the desktop's list of files.
  virtual bool GetFormat(std::int32_t format) = 0;
  virtual std::int32_t FileCount() = 0;
  // The dropped path number `index`, from 1, in the order the drag source gives them.
  virtual std::u16string File(std::int32_t index) = 0;
};
inline constexpr std::int32_t kFormatFileList = 15;
inline constexpr std::int32_t kDropEffectNone = 0;

enum class ControlKind {
  kListView, kFrame, kComboBox, kFileDialog, kOptionButton, kCheckBox, kLabel, kProgressBar,
  kPushButton, kSkinEngine
};

// Any control of the window, as the skin step walks them.
class Control {
 public:
  virtual ~Control() = default;
  virtual std::u16string Name() = 0;
  virtual ControlKind Kind() = 0;
  // Throws Failure for controls without a back colour.
  virtual void SetBackColor(std::uint32_t colour) = 0;
};

// Thrown by Form::DoEvents when the user closed the program's last window while a handler let
// events run: the handler stops at once, as the program does. Not a Failure, so no guarded
// step reports it; only the window's own event dispatch catches it.
struct ProgramEnding {};

// Form1 itself and the ways to its controls.
class Form {
 public:
  virtual ~Form() = default;

  virtual std::int32_t Width() = 0;   // outer size, twips
  virtual std::int32_t Height() = 0;
  virtual void SetLeft(std::int32_t twips) = 0;
  virtual void SetTop(std::int32_t twips) = 0;
  virtual std::int32_t ScreenWidth() = 0;   // twips
  virtual std::int32_t ScreenHeight() = 0;

  virtual void SetCaption(std::u16string_view caption) = 0;
  virtual void SetApplicationIcon() = 0;
  virtual void SetBackColor(std::uint32_t colour) = 0;
  virtual std::int64_t WindowHandle() = 0;

  virtual std::int32_t MousePointer() = 0;
  virtual void SetMousePointer(std::int32_t state) = 0;
  // Loads a cursor file as the custom pointer (state 99). Throws Failure when the file is not
  // a cursor.
  virtual void LoadMouseIcon(std::u16string_view path) = 0;

  // Lets pending window events run (the folder walk does, at fixed points). Throws
  // ProgramEnding when the program ended meanwhile (its last window was closed).
  virtual void DoEvents() = 0;

  virtual std::vector<Control*> Controls() = 0;
  virtual ListView& ListView1() = 0;
  virtual ComboBox& Combo1() = 0;
  virtual OptionButton& Option1() = 0;
  virtual OptionButton& Option2() = 0;
  virtual ProgressBar& ProgressBar1() = 0;
  virtual FileDialog& CommonDialog1() = 0;
  virtual SkinEngine& SkinFramework1() = 0;
};

}  // namespace brintova
