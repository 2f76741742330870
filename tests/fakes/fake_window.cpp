#include "fakes/fake_window.h"

#include "platform/text.h"

namespace brintova::testing {

namespace {
std::string U8(std::u16string_view text) { return ToUtf8(text); }
Failure OutOfRange() { return Failure(u"Index out of bounds", 35600); }
}  // namespace

void FakeListView::AddColumnHeader(std::u16string_view text) {
  log_->push_back("ListView1.AddColumnHeader " + U8(text));
  headers.emplace_back(text);
  header_widths.push_back(0);
}

void FakeListView::SetColumnHeaderWidth(std::int32_t twips) {
  log_->push_back("ListView1.SetColumnHeaderWidth " + std::to_string(twips));
  if (header_widths.empty()) throw OutOfRange();
  header_widths.back() = twips;
}

std::u16string FakeListView::Item(std::int32_t index) {
  if (index < 1 || index > Count()) throw OutOfRange();
  return rows[index - 1];
}

std::int32_t FakeListView::SelectedIndex() {
  if (!selected) throw Failure(u"Object variable or With block variable not set", 91);
  return *selected;
}

void FakeListView::Remove(std::int32_t index) {
  if (index < 1 || index > Count()) throw OutOfRange();
  rows.erase(rows.begin() + (index - 1));
  selected.reset();
}

void FakeListView::Clear() {
  rows.clear();
  selected.reset();
}

void FakeComboBox::AddItem(std::u16string_view text) {
  log_->push_back("Combo1.AddItem " + U8(text));
  entries.emplace_back(text);
}

std::u16string FakeComboBox::List(std::int32_t index) {
  if (index < 0 || index >= ListCount()) throw Failure(u"Invalid property array index", 381);
  return entries[index];
}

void FakeComboBox::SetListIndex(std::int32_t index) {
  log_->push_back("Combo1.SetListIndex " + std::to_string(index));
  if (index < -1 || index >= ListCount()) throw Failure(u"Invalid property value", 380);
  list_index = index;
  if (on_click) on_click();
}

void FakeFileDialog::SetFileName(std::u16string_view name) {
  log_->push_back("CommonDialog1.SetFileName " + U8(name));
  file_name = name;
}
void FakeFileDialog::SetFlags(std::int32_t f) {
  log_->push_back("CommonDialog1.SetFlags " + std::to_string(f));
  flags = f;
}
void FakeFileDialog::SetDialogTitle(std::u16string_view t) {
  log_->push_back("CommonDialog1.SetDialogTitle " + U8(t));
  title = t;
}
void FakeFileDialog::SetFilter(std::u16string_view f) {
  log_->push_back("CommonDialog1.SetFilter " + U8(f));
  filter = f;
}
void FakeFileDialog::ShowOpen() {
  log_->push_back("CommonDialog1.ShowOpen");
  ++shown;
  if (failure) throw *failure;
  file_name = result;
}

void FakeSkinEngine::Method2(std::u16string_view skin_path, std::u16string_view section) {
  log_->push_back("Skin.Method2 " + U8(skin_path) + "|" + U8(section));
  if (fail_method2) throw *fail_method2;
}
std::int32_t FakeSkinEngine::Property1() {
  log_->push_back("Skin.Property1");
  return property1;
}
void FakeSkinEngine::SetProperty1(std::int32_t value) {
  log_->push_back("Skin.SetProperty1 " + std::to_string(value));
  property1 = value;
}
void FakeSkinEngine::SetProperty5(bool value) {
  log_->push_back(std::string("Skin.SetProperty5 ") + (value ? "true" : "false"));
}
void FakeSkinEngine::SetProperty10(bool value) {
  log_->push_back(std::string("Skin.SetProperty10 ") + (value ? "true" : "false"));
}
void FakeSkinEngine::Method3(std::int64_t window_handle) {
  log_->push_back("Skin.Method3 " + std::to_string(window_handle));
}

FakeForm::FakeForm() {
  const auto add = [this](std::u16string name, ControlKind kind, std::uint32_t colour) {
    controls.push_back(std::make_unique<FakeControl>(std::move(name), kind, colour));
  };
  add(u"ListView1", ControlKind::kListView, kColourWhite);
  add(u"Frame2", ControlKind::kFrame, kColourWhite);
  add(u"Combo1", ControlKind::kComboBox, kColourWhite);
  add(u"CommonDialog1", ControlKind::kFileDialog, 0);
  add(u"Frame1", ControlKind::kFrame, kColourWhite);
  add(u"Option2", ControlKind::kOptionButton, kColourWhite);
  add(u"Option1", ControlKind::kOptionButton, kColourWhite);
  add(u"ProgressBar1", ControlKind::kProgressBar, 0);
  add(u"PushButton3", ControlKind::kPushButton, 0);
  add(u"PushButton6", ControlKind::kPushButton, 0);
  add(u"PushButton7", ControlKind::kPushButton, 0);
  add(u"PushButton1", ControlKind::kPushButton, 0);
  add(u"PushButton2", ControlKind::kPushButton, 0);
  add(u"SkinFramework1", ControlKind::kSkinEngine, 0);
  option1.value = true;
}

FakeControl& FakeForm::control(std::u16string_view name) {
  for (auto& c : controls) {
    if (c->Name() == name) return *c;
  }
  throw Failure(u"No such control");
}

void FakeForm::SetLeft(std::int32_t twips) {
  log.push_back("Form.SetLeft " + std::to_string(twips));
  if (fail_center) throw *fail_center;
  left = twips;
}
void FakeForm::SetTop(std::int32_t twips) {
  log.push_back("Form.SetTop " + std::to_string(twips));
  top = twips;
}
void FakeForm::SetCaption(std::u16string_view text) {
  log.push_back("Form.SetCaption " + U8(text));
  caption = text;
}
void FakeForm::SetApplicationIcon() {
  log.push_back("Form.SetApplicationIcon");
  has_application_icon = true;
}
void FakeForm::SetBackColor(std::uint32_t colour) {
  log.push_back("Form.SetBackColor " + std::to_string(colour));
  back_colour = colour;
}
void FakeForm::SetMousePointer(std::int32_t state) {
  log.push_back("Form.SetMousePointer " + std::to_string(state));
  mouse_pointer = state;
}
void FakeForm::LoadMouseIcon(std::u16string_view path) {
  log.push_back("Form.LoadMouseIcon " + U8(path));
  if (fail_mouse_icon) throw *fail_mouse_icon;
  mouse_icon = path;
}
void FakeForm::DoEvents() {
  ++do_events;
  if (on_do_events) on_do_events();
}
std::vector<Control*> FakeForm::Controls() {
  std::vector<Control*> out;
  for (auto& c : controls) out.push_back(c.get());
  return out;
}

}  // namespace brintova::testing
