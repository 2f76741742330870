// The folder scan: the breadth-first folder walk, one folder's matching files, the tree add
// and "Add All Excel File(s) In Folder".
#include "filelist/add_folder.h"

#include <utility>

#include "filelist/file_list.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova {

void PushButton6_Click(Ports& ports) {
  GuardedHandler guard(ports.dialogs, kPushButton6Tag);
  const std::u16string extension = guard.Value(100, std::u16string(), [&] {
    return ports.dialogs.InputBox(kAddAllPrompt, kApplicationTitle, kAddAllDefaultExtension);
  });
  if (guard.Test(102, [&] { return extension.empty(); })) return;
  const std::u16string folder = guard.Value(
      104, std::u16string(), [&] { return AddFolder::PickFolder(ports.shell, kPickFolderPrompt); });
  if (guard.Test(106, [&] { return folder.empty(); })) return;
  guard.Step(112, [&] { ports.form.SetMousePointer(kPointerBusy); });
  AddFolder::AddFolderTree(ports, guard, folder, u"*." + extension);
  guard.Step(136, [&] { ports.form.SetMousePointer(kPointerDefault); });
}

namespace AddFolder {

namespace {

constexpr std::uint32_t kHiddenArchive = file_attribute::kHidden | file_attribute::kArchive;
constexpr std::size_t kProblemsNamed = 10;

bool IsDotOrDotDot(std::u16string_view name) { return name == u"." || name == u".."; }

// One box for everything the walk had to skip, so that a tree with many unreadable folders
// does not bury the user in boxes.
std::u16string ProblemsDescription(const std::vector<WalkProblem>& problems) {
  std::u16string text = problems.size() == 1
                            ? std::u16string(u"1 place in the folder tree could not be read:")
                            : DecimalText(static_cast<long long>(problems.size())) +
                                  u" places in the folder tree could not be read:";
  for (std::size_t i = 0; i < problems.size() && i < kProblemsNamed; ++i) {
    text += u"\r\n";
    // Port failures name their path; say where it was when one does not.
    if (problems[i].description.find(problems[i].path) == std::u16string::npos) {
      text += problems[i].path + u": ";
    }
    text += problems[i].description;
  }
  if (problems.size() > kProblemsNamed) {
    text += u"\r\n(and " + DecimalText(static_cast<long long>(problems.size() - kProblemsNamed)) +
            u" more)";
  }
  return text;
}

// Records `folder` as entered; false when it was entered before. A folder whose identity the
// platform cannot tell is always entered.
bool EnterOnce(FileQueries& files, FolderWalk& walk, std::u16string_view folder) {
  const std::optional<std::string> identity = files.FolderIdentity(folder);
  return !identity || walk.entered.insert(*identity).second;
}

constexpr std::u16string_view kNotListed = u" (its files are not listed)";

// Entries of `folder` that could not be examined, as one problem however many there are: a
// folder that can be listed but not entered fails for every entry in it.
void RecordUnexamined(FolderWalk& walk, const std::u16string& folder,
                      const std::vector<std::u16string>& failures, std::int32_t line) {
  if (failures.empty()) return;
  walk.unexamined.insert(folder);
  if (failures.size() == 1) {
    walk.problems.push_back({folder, failures.front(), line});
    return;
  }
  walk.problems.push_back({folder,
                           u"\"" + folder + u"\": " +
                               DecimalText(static_cast<long long>(failures.size())) +
                               u" entries could not be examined (" + failures.front() + u", and " +
                               DecimalText(static_cast<long long>(failures.size() - 1)) + u" more)",
                           line});
}

}  // namespace

std::u16string PickFolder(Shell& shell, std::u16string_view prompt) {
  return shell.BrowseForFolder(prompt);
}

void CollectSubfolders(Form& form, FileQueries& files, std::vector<std::u16string>& folder_list,
                       bool recurse, FolderWalk& walk) {
  // Level by level rather than by recursion: the same breadth-first order, and each found
  // folder is handed over once instead of once per level above it.
  std::vector<std::u16string> found;
  const auto read_level = [&](const std::vector<std::u16string>& level, std::size_t begin,
                              std::size_t end) {
    for (std::size_t k = begin; k < end; ++k) {
      const std::u16string d = level[k];  // a copy: `found` grows while it is read
      std::vector<std::u16string> entries;
      try {
        entries = files.ListDirectory(d, u"", file_attribute::kDirectory);
      } catch (const Failure& failure) {
        walk.unreadable.insert(d);
        walk.problems.push_back({d, failure.description() + std::u16string(kNotListed), 116});
        continue;
      }
      form.DoEvents();
      std::vector<std::u16string> unexamined;
      for (const std::u16string& name : entries) {
        form.DoEvents();
        if (name.find(u'?') != std::u16string::npos || IsDotOrDotDot(name)) continue;
        const std::u16string full = d + name;
        try {
          if ((files.GetAttributes(full) & file_attribute::kDirectory) == 0) continue;
          if (!EnterOnce(files, walk, full)) continue;
        } catch (const Failure& failure) {
          // Not a folder the walk can tell it may enter: reported with the others at the end.
          unexamined.push_back(failure.description());
          continue;
        }
        found.push_back(full + files.Separator());
      }
      RecordUnexamined(walk, d.substr(0, d.size() - 1), unexamined, 116);
    }
  };

  read_level(folder_list, 0, folder_list.size());
  for (std::size_t begin = 0; recurse && begin < found.size();) {
    const std::size_t end = found.size();
    read_level(found, begin, end);
    begin = end;
  }
  folder_list.reserve(folder_list.size() + found.size());
  for (std::u16string& folder : found) {
    form.DoEvents();
    folder_list.push_back(std::move(folder));
  }
}

std::vector<std::u16string> ListFolderFiles(FileQueries& files, std::u16string_view folder,
                                            std::u16string_view pattern) {
  std::u16string with_separator(folder);
  const char16_t separator = files.Separator();
  if (with_separator.empty() || with_separator.back() != separator) {
    with_separator += separator;
  }
  return files.ListDirectory(with_separator, pattern,
                             file_attribute::kHidden | file_attribute::kSystem);
}

void AddFolderTree(Ports& ports, GuardedHandler& guard, std::u16string_view folder,
                   std::u16string_view pattern) {
  FileQueries& files = ports.files;
  ListView& list = ports.form.ListView1();
  FolderWalk walk;
  std::vector<std::u16string> folder_list;
  const char16_t separator = guard.Value(114, u'\\', [&] { return files.Separator(); });
  guard.Step(114, [&] { folder_list.push_back(std::u16string(folder) + separator); });
  try {
    // The start folder counts as entered, so a link inside it back to it is not followed.
    EnterOnce(files, walk, folder);
  } catch (const Failure&) {
    // Not examinable: its listing below fails as well and is reported with the others.
  }
  guard.Step(116, [&] { CollectSubfolders(ports.form, files, folder_list, true, walk); });

  for (const std::u16string& entry : folder_list) {
    if (walk.unreadable.contains(entry)) continue;  // already reported, not read again
    std::u16string d;
    guard.Step(120, [&] { d = entry.substr(0, entry.size() - 1); });
    std::vector<std::u16string> names;
    try {
      names = ListFolderFiles(files, d, pattern);
    } catch (const Failure& failure) {
      // Vanished since the walk found it, or unreadable: reported with the others below.
      walk.problems.push_back({d, failure.description() + std::u16string(kNotListed), 122});
      continue;
    }
    std::vector<std::u16string> unexamined;
    for (const std::u16string& name : names) {
      if (guard.Test(126, [&] { return !name.empty() && name.front() == u'~'; })) continue;
      std::u16string path;
      guard.Step(128, [&] { path = JoinPath(separator, d, name); });
      // A file that cannot be examined is still listed, and reported with the others at the
      // end (once per folder).
      bool listed = true;
      try {
        listed = files.GetAttributes(path) != kHiddenArchive;
      } catch (const Failure& failure) {
        unexamined.push_back(failure.description());
      }
      if (listed) guard.Step(132, [&] { list.Add(path); });
    }
    if (!walk.unexamined.contains(d)) RecordUnexamined(walk, d, unexamined, 132);
  }

  if (!walk.problems.empty()) {
    guard.Step(walk.problems.front().line,
               [&] { throw Failure(ProblemsDescription(walk.problems)); });
  }
}

}  // namespace AddFolder
}  // namespace brintova
