// The path join rule and the removal handlers of the file list.
#include "filelist/file_list.h"

#include "app/error_report.h"
#include "platform/failure.h"

namespace brintova {

std::u16string JoinPath(char16_t separator, std::u16string_view folder, std::u16string_view name) {
  std::u16string path;
  path.reserve(folder.size() + 1 + name.size());
  path += folder;
  path += separator;
  path += name;

  const std::u16string doubled{u':', separator, separator};
  for (std::size_t at = path.find(doubled); at != std::u16string::npos;
       at = path.find(doubled, at + 2)) {
    path.erase(at + 1, 1);
  }
  if (separator == u'/') {
    std::size_t leading = 0;
    while (leading < path.size() && path[leading] == u'/') ++leading;
    if (leading > 1) path.erase(0, leading - 1);
  }
  return path;
}

void PushButton1_Click(Ports& ports) {
  GuardedHandler guard(ports.dialogs, kPushButton1Tag);
  guard.Step(100, [&] { ports.form.ListView1().Clear(); });
}

namespace {

void RemoveSelectedRow(ListView& list) {
  try {
    list.Remove(list.SelectedIndex());
  } catch (const Failure&) {
    // Nothing selected, or the row went away meanwhile: the list stays as it is, silently.
  }
}

}  // namespace

void ListView1_DblClick(Ports& ports) { RemoveSelectedRow(ports.form.ListView1()); }

void ListView1_KeyDown(Ports& ports, std::int32_t key_code) {
  if (key_code == kKeyCodeDelete) RemoveSelectedRow(ports.form.ListView1());
}

}  // namespace brintova
