// QFileDialog behind CommonDialog1.
#include "ui/file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

#include "platform/dialogs.h"
#include "platform/failure.h"
#include "platform/qt/qt_text.h"

namespace brintova {

std::u16string FileDialogResultText(std::u16string_view folder,
                                    const std::vector<std::u16string>& names, char16_t separator) {
  if (names.empty()) return {};
  std::u16string text(folder);
  std::size_t terminators = 1;
  if (names.size() == 1) {
    if (!text.empty() && text.back() != separator) text += separator;
    text += names.front();
  } else {
    for (const auto& name : names) {
      text += u'\0';
      text += name;
    }
    terminators = 2;
  }
  if (text.size() + terminators > kFileDialogBufferSize) {
    throw Failure(
        u"The chosen files do not fit the file dialog's 260 characters; choose fewer "
        u"files at a time",
        kFailureDialogBufferTooSmall);
  }
  return text;
}

QStringList NameFilters(std::u16string_view filter) {
  const QStringList parts = ToQString(filter).split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    const QString patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts).join(u' ');
    filters << (description.endsWith(QStringLiteral("(") + patterns + u')')
                    ? description
                    : description + QStringLiteral(" (") + patterns + u')');
  }
  return filters;
}

QFileDialog::FileMode OpenFileMode(std::int32_t flags) {
  // Several files can be picked only in the mode for existing files; a name typed for a file
  // that does not exist is listed only when one file is asked for.
  if ((flags & kOfnAllowMultiSelect) != 0) return QFileDialog::ExistingFiles;
  return (flags & kOfnFileMustExist) != 0 ? QFileDialog::ExistingFile : QFileDialog::AnyFile;
}

void QtFileDialog::ShowOpen() {
  QFileDialog dialog(owner_ && owner_->isVisible() ? owner_.data() : nullptr,
                     ToQString(title_.empty() ? kApplicationTitle : std::u16string_view(title_)));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(OpenFileMode(flags_));
  const QStringList filters = NameFilters(filter_);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  if (!file_name_.empty()) dialog.selectFile(PathToQt(file_name_));
  file_name_.clear();
  if (dialog.exec() != QDialog::Accepted) return;  // Cancel: empty name, no failure

  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return;
  if (chosen.size() == 1) {
    file_name_ =
        FileDialogResultText(u"", {PathFromQt(QFileInfo(chosen.front()).absoluteFilePath())});
    return;
  }
  const QString folder = QFileInfo(chosen.front()).absolutePath();
  std::vector<std::u16string> names;
  for (const QString& file : chosen) {
    const QFileInfo info(file);
    if (info.absolutePath() != folder) {
      throw Failure(
          u"The chosen files lie in different folders; choose files from one folder "
          u"at a time");
    }
    names.push_back(PathFromQt(info.fileName()));
  }
  file_name_ = FileDialogResultText(PathFromQt(folder), names);
}

}  // namespace brintova
