// Win32Dialogs: the message box (MessageBoxW) and the input box, a modal dialog laid out as
// the classic one: the prompt on the left, OK and Cancel on the right, the text field along the
// bottom, the default text selected.
#pragma once

#include <functional>

#include "platform/dialogs.h"
#include "platform/win32/windows_api.h"

namespace brintova {

class Win32Dialogs : public Dialogs {
 public:
  // `owner` names the window the boxes belong to when they show (none before it is visible).
  explicit Win32Dialogs(std::function<HWND()> owner = {}) : owner_(std::move(owner)) {}

  // Throws Failure when the box cannot be shown.
  MessageResult MessageBox(std::u16string_view text, MessageButtons buttons, MessageIcon icon,
                           std::u16string_view title) override;
  // OK gives the typed text, Cancel (or closing the box) the empty text. Throws Failure when
  // the box cannot be shown.
  std::u16string InputBox(std::u16string_view prompt, std::u16string_view title,
                          std::u16string_view default_text) override;

 private:
  HWND Owner() const;
  std::function<HWND()> owner_;
};

// Control identifiers inside the input box, for whoever drives it.
inline constexpr int kInputBoxPromptId = 100;
inline constexpr int kInputBoxTextId = 101;

}  // namespace brintova
