// "Add Excel File(s)": shows the open-file dialog and lists what was chosen.
#include "filelist/open_file_dialog.h"

#include <string>
#include <vector>

#include "app/error_report.h"
#include "filelist/file_list.h"
#include "platform/failure.h"

namespace brintova {

namespace {

std::vector<std::u16string> SplitAtNul(const std::u16string& text) {
  std::vector<std::u16string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(u'\0', start);
    parts.emplace_back(text, start,
                       end == std::u16string::npos ? std::u16string::npos : end - start);
    if (end == std::u16string::npos) return parts;
    start = end + 1;
  }
}

}  // namespace

void PushButton3_Click(Ports& ports) {
  GuardedHandler guard(ports.dialogs, kPushButton3Tag);
  FileDialog& dialog = ports.form.CommonDialog1();
  ListView& list = ports.form.ListView1();

  // The dialog's too-many-files failure gets its own message and ends the handler; every other
  // failure takes the standard box and the handler goes on.
  bool too_many_files = false;
  const auto step = [&](std::int32_t line, auto&& body) {
    guard.Step(line, [&] {
      try {
        body();
      } catch (const Failure& failure) {
        if (failure.number() != kFailureDialogBufferTooSmall) throw;
        too_many_files = true;
      }
    });
    if (too_many_files) {
      ports.dialogs.MessageBox(kTooManyFilesMessage, MessageButtons::kOk, MessageIcon::kNone,
                               kApplicationTitle);
    }
    return !too_many_files;
  };

  if (!step(104, [&] { dialog.SetFileName(u""); })) return;
  if (!step(106, [&] { dialog.SetFlags(kOpenFileDialogFlags); })) return;
  if (!step(108, [&] { dialog.SetDialogTitle(kOpenFileDialogTitle); })) return;
  if (!step(110, [&] { dialog.SetFilter(kOpenFileDialogFilter); })) return;
  if (!step(112, [&] { dialog.ShowOpen(); })) return;

  std::u16string file_name;
  bool empty = true;  // a failing test counts as true: nothing to list
  if (!step(114, [&] {
        file_name = dialog.FileName();
        empty = file_name.empty();
      })) {
    return;
  }
  if (empty) return;

  std::vector<std::u16string> parts;
  if (!step(116, [&] { parts = SplitAtNul(file_name); })) return;
  if (parts.size() == 1) {
    step(120, [&] { list.Add(parts[0]); });
    return;
  }
  if (parts.size() < 2) return;
  const char16_t separator = guard.Value(124, u'\\', [&] { return ports.files.Separator(); });
  for (std::size_t i = 1; i < parts.size(); ++i) {
    std::u16string path;
    if (!step(136, [&] { path = JoinPath(separator, parts[0], parts[i]); })) return;
    if (!step(140, [&] { list.Add(path); })) return;
  }
}

}  // namespace brintova
