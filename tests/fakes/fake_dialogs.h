// ScriptedDialogs: message and input boxes answered from a script, every box recorded.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace brintova::testing {

struct ShownBox {
  std::u16string text;
  MessageButtons buttons;
  MessageIcon icon;
  std::u16string title;
};

struct ShownInputBox {
  std::u16string prompt;
  std::u16string title;
  std::u16string default_text;
};

class ScriptedDialogs : public Dialogs {
 public:
  // Answers for Yes/No boxes, in order; when none is left, Yes.
  std::deque<MessageResult> yes_no_answers;
  // Answers for input boxes, in order; when none is left, the empty text (Cancel).
  std::deque<std::u16string> input_answers;

  std::vector<ShownBox> boxes;
  std::vector<ShownInputBox> input_boxes;

  MessageResult MessageBox(std::u16string_view text, MessageButtons buttons, MessageIcon icon,
                           std::u16string_view title) override;
  std::u16string InputBox(std::u16string_view prompt, std::u16string_view title,
                          std::u16string_view default_text) override;
};

}  // namespace brintova::testing
