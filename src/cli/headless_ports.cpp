// The headless adapters of the window, dialog, settings and shell ports.
#include "cli/headless_ports.h"

#include "app/start_up.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::cli {

namespace {

[[noreturn]] void FailIndex(const char* member, std::int32_t index) {
  throw Failure(std::string(member) + ": index " + std::to_string(index) + " is out of range",
                kFailureInvalidArgument);
}

}  // namespace

std::u16string HeadlessListView::Item(std::int32_t index) {
  if (index < 1 || index > Count()) FailIndex("ListItems", index);
  return rows_[static_cast<std::size_t>(index - 1)];
}

std::int32_t HeadlessListView::SelectedIndex() {
  throw Failure(u"Object variable or With block variable not set", kFailureObjectNotSet);
}

void HeadlessListView::Remove(std::int32_t index) {
  if (index < 1 || index > Count()) FailIndex("ListItems.Remove", index);
  rows_.erase(rows_.begin() + (index - 1));
}

HeadlessComboBox::HeadlessComboBox() {
  for (std::u16string_view caption : kOperationCaptions) items_.emplace_back(caption);
}

std::u16string HeadlessComboBox::List(std::int32_t index) {
  if (index < 0 || index >= ListCount()) FailIndex("List", index);
  return items_[static_cast<std::size_t>(index)];
}

void HeadlessComboBox::SetListIndex(std::int32_t index) {
  if (index < -1 || index >= ListCount()) FailIndex("ListIndex", index);
  index_ = index;
}

void UnavailableFileDialog::ShowOpen() {
  throw Failure("The file dialog is not available without a window");
}

void HeadlessForm::LoadMouseIcon(std::u16string_view path) {
  throw Failure(u"Cannot load the cursor " + std::u16string(path) + u" without a window");
}

MessageResult HeadlessDialogs::MessageBox(std::u16string_view text, MessageButtons buttons,
                                          MessageIcon icon, std::u16string_view /*title*/) {
  if (buttons == MessageButtons::kYesNo) return MessageResult::kYes;
  if (!(text == u"Done." && icon == MessageIcon::kNone)) sink_(text);
  return MessageResult::kOk;
}

std::u16string HeadlessDialogs::InputBox(std::u16string_view /*prompt*/,
                                         std::u16string_view /*title*/,
                                         std::u16string_view /*default_text*/) {
  ++input_boxes_shown_;
  return answer_.value_or(std::u16string());
}

bool IsControlCharacter(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

void AppendControlEscaped(std::u16string& out, char16_t c) {
  if (!IsControlCharacter(c)) {
    out += c;
    return;
  }
  static constexpr char16_t kHex[] = u"0123456789abcdef";
  out += u"\\x";
  out += kHex[(c >> 4) & 0xF];
  out += kHex[c & 0xF];
}

std::string TerminalText(std::u16string_view text) {
  std::u16string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      lines += u'\n';
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else if (text[i] == u'\n' || text[i] == u'\t') {
      lines += text[i];
    } else {
      AppendControlEscaped(lines, text[i]);
    }
  }
  return ToUtf8(lines);
}

std::string TerminalText(std::string_view utf8) { return TerminalText(ToUtf16(utf8)); }

}  // namespace brintova::cli
