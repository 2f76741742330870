// "Load Sample/Example Files" and the drag-and-drop handlers of the file list.
#include "filelist/drop_and_samples.h"

#include <optional>
#include <string>
#include <vector>

#include "app/error_report.h"
#include "filelist/add_folder.h"
#include "platform/failure.h"

namespace brintova {

void PushButton2_Click(Ports& ports) {
  GuardedHandler guard(ports.dialogs, kPushButton2Tag);
  const char16_t separator = ports.files.Separator();
  const std::u16string samples =
      ports.shell.ProgramFolder() + separator + std::u16string(kSamplesFolderName);

  std::vector<std::u16string> names;
  guard.Step(100, [&] {
    // A missing Samples folder is no failure: nothing is listed and the question still comes.
    bool present = false;
    try {
      present = (ports.files.GetAttributes(samples) & file_attribute::kDirectory) != 0;
    } catch (const Failure&) {
    }
    if (present) names = AddFolder::ListFolderFiles(ports.files, samples, u"*.*");
  });
  for (const std::u16string& name : names) {
    guard.Step(104, [&] { ports.form.ListView1().Add(samples + separator + name); });
  }

  const MessageResult answer = guard.Value(106, MessageResult::kNo, [&] {
    return ports.dialogs.MessageBox(kOpenSamplesQuestion, MessageButtons::kYesNo,
                                    MessageIcon::kNone, kApplicationTitle);
  });
  if (answer == MessageResult::kYes) {
    // The port takes a path, not a command line: the folder with its trailing separator,
    // unquoted, and the root as working folder.
    guard.Step(
        108, [&] { ports.shell.ShellExecute(samples + separator, std::u16string(1, separator)); });
  }
}

void ListView1_OLEDragOver(Ports& /*ports*/, DataObject& data, std::int32_t& effect) {
  if (!data.GetFormat(kFormatFileList)) effect = kDropEffectNone;
}

void ListView1_OLEDragDrop(Ports& ports, DataObject& data) {
  GuardedHandler guard(ports.dialogs, kListView1OLEDragDropTag);
  const std::int32_t count = guard.Value(100, 0, [&] { return data.FileCount(); });
  for (std::int32_t i = 1; i <= count; ++i) {
    std::u16string path;
    // A folder is walked when the folder listing would show it: not hidden and not system.
    const std::optional<bool> is_folder = guard.Value(100, std::optional<bool>(), [&] {
      path = data.File(i);
      const std::uint32_t attributes = ports.files.GetAttributes(path);
      return std::optional<bool>(
          (attributes & file_attribute::kDirectory) != 0 &&
          (attributes & (file_attribute::kHidden | file_attribute::kSystem)) == 0);
    });
    if (!is_folder) continue;  // reported: vanished or not examinable
    if (*is_folder) {
      AddFolder::AddFolderTree(ports, guard, path, u"*.*");
    } else {
      guard.Step(104, [&] { ports.form.ListView1().Add(path); });
    }
  }
}

}  // namespace brintova
