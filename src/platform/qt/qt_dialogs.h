// Message and input boxes as Qt dialogs, modal over the main window once it shows.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/dialogs.h"

namespace brintova {

class QtDialogs : public Dialogs {
 public:
  // `owner` may be null; while it is hidden (during start-up) boxes show on their own.
  explicit QtDialogs(QWidget* owner = nullptr) : owner_(owner) {}

  MessageResult MessageBox(std::u16string_view text, MessageButtons buttons, MessageIcon icon,
                           std::u16string_view title) override;
  std::u16string InputBox(std::u16string_view prompt, std::u16string_view title,
                          std::u16string_view default_text) override;

 private:
  QWidget* Parent() const;

  QPointer<QWidget> owner_;
};

// Box texts use CR LF and lone CR for line breaks; Qt's labels break on LF only.
QString BoxText(std::u16string_view text);

}  // namespace brintova
