#include "fakes/fake_dialogs.h"

namespace brintova::testing {

MessageResult ScriptedDialogs::MessageBox(std::u16string_view text, MessageButtons buttons,
                                          MessageIcon icon, std::u16string_view title) {
  boxes.push_back({std::u16string(text), buttons, icon, std::u16string(title)});
  if (buttons == MessageButtons::kOk) return MessageResult::kOk;
  if (yes_no_answers.empty()) return MessageResult::kYes;
  const MessageResult answer = yes_no_answers.front();
  yes_no_answers.pop_front();
  return answer;
}

std::u16string ScriptedDialogs::InputBox(std::u16string_view prompt, std::u16string_view title,
                                         std::u16string_view default_text) {
  input_boxes.push_back({std::u16string(prompt), std::u16string(title),
                         std::u16string(default_text)});
  if (input_answers.empty()) return {};
  std::u16string answer = std::move(input_answers.front());
  input_answers.pop_front();
  return answer;
}

}  // namespace brintova::testing
