// QMessageBox and QInputDialog behind the dialogs port.
#include "platform/qt/qt_dialogs.h"

#include <QInputDialog>
#include <QMessageBox>

#include "platform/qt/qt_text.h"

namespace brintova {

namespace {
QString TitleOrApplication(std::u16string_view title) {
  return ToQString(title.empty() ? kApplicationTitle : title);
}
}  // namespace

QString BoxText(std::u16string_view text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      out += QChar(u'\n');
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      out += QChar(text[i]);
    }
  }
  return out;
}

QWidget* QtDialogs::Parent() const {
  return owner_ && owner_->isVisible() ? owner_.data() : nullptr;
}

MessageResult QtDialogs::MessageBox(std::u16string_view text, MessageButtons buttons,
                                    MessageIcon icon, std::u16string_view title) {
  QMessageBox box(icon == MessageIcon::kExclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                  TitleOrApplication(title), BoxText(text), QMessageBox::NoButton, Parent());
  box.setTextFormat(Qt::PlainText);
  if (buttons == MessageButtons::kOk) {
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageResult::kOk;
  }
  box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes ? MessageResult::kYes : MessageResult::kNo;
}

std::u16string QtDialogs::InputBox(std::u16string_view prompt, std::u16string_view title,
                                   std::u16string_view default_text) {
  QInputDialog dialog(Parent());
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setWindowTitle(TitleOrApplication(title));
  dialog.setLabelText(BoxText(prompt));
  dialog.setTextValue(ToQString(default_text));
  if (dialog.exec() != QDialog::Accepted) return {};
  return ToU16(dialog.textValue());
}

}  // namespace brintova
