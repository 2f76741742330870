// Modal message box and input box. A box that names no title shows the application title.
#pragma once

#include <string>
#include <string_view>

namespace brintova {

inline constexpr std::u16string_view kApplicationTitle = u"Brintova";

enum class MessageButtons { kOk, kYesNo };  // Yes is the default button of Yes/No
enum class MessageIcon { kNone, kExclamation };
enum class MessageResult { kOk, kYes, kNo };

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual MessageResult MessageBox(std::u16string_view text, MessageButtons buttons,
                                   MessageIcon icon, std::u16string_view title) = 0;
  // OK returns the typed text; Cancel returns the empty text.
  virtual std::u16string InputBox(std::u16string_view prompt, std::u16string_view title,
                                  std::u16string_view default_text) = 0;
};

}  // namespace brintova
