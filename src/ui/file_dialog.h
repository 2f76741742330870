// CommonDialog1 as Qt's open-file dialog, answering in the dialog's own result format: one full
// path, or the folder and the chosen names separated by NUL characters, within 260 characters.
#pragma once

#include <QFileDialog>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <string>
#include <vector>

#include "platform/window.h"

namespace brintova {

// Room for the result text and its terminating NULs.
inline constexpr std::size_t kFileDialogBufferSize = 260;

inline constexpr std::int32_t kOfnAllowMultiSelect = 0x200;
inline constexpr std::int32_t kOfnFileMustExist = 0x1000;

class QtFileDialog : public FileDialog {
 public:
  explicit QtFileDialog(QWidget* owner) : owner_(owner) {}

  void SetFileName(std::u16string_view name) override { file_name_ = name; }
  std::u16string FileName() override { return file_name_; }
  void SetFlags(std::int32_t flags) override { flags_ = flags; }
  void SetDialogTitle(std::u16string_view title) override { title_ = title; }
  void SetFilter(std::u16string_view filter) override { filter_ = filter; }
  void ShowOpen() override;

 private:
  QPointer<QWidget> owner_;
  std::u16string file_name_, title_, filter_;
  std::int32_t flags_ = 0;
};

// The result text for the chosen files, all in `folder`: one name gives the folder joined with
// it by `separator`; several give the folder and the names, NUL between them. No name gives the
// empty text. Throws Failure numbered kFailureDialogBufferTooSmall when the text and its
// terminating NULs (one after a single path, two after a list) exceed kFileDialogBufferSize.
std::u16string FileDialogResultText(std::u16string_view folder,
                                    const std::vector<std::u16string>& names,
                                    char16_t separator = u'/');

// The dialog's mode for the open-file flags: ExistingFiles with multi-select, else
// ExistingFile when the file must exist, else AnyFile.
QFileDialog::FileMode OpenFileMode(std::int32_t flags);

// "Description|pattern|..." pairs as Qt name filters: "Excel Files (*.xl*)|*.xl*" gives
// "Excel Files (*.xl*)"; "All|*.*;*.txt" gives "All (*.* *.txt)".
QStringList NameFilters(std::u16string_view filter);

}  // namespace brintova
