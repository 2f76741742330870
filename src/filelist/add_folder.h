// The folder scan: the module AddFolder (folder browser, breadth-first walk, one folder's
// matching files, the tree add) and "Add All Excel File(s) In Folder" (PushButton6).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "app/error_report.h"
#include "platform/ports.h"

namespace brintova {

inline constexpr std::u16string_view kAddAllPrompt =
    u"Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all doc "
    u"files, etc.)";
inline constexpr std::u16string_view kAddAllDefaultExtension = u"xls";
inline constexpr std::u16string_view kPickFolderPrompt = u"Please select folder:";

// "Add All Excel File(s) In Folder". Guarded (lines 100 to 136); the pointer is the hourglass
// from the start of the walk to its end, also when the walk fails.
void PushButton6_Click(Ports& ports);

namespace AddFolder {

// A folder the walk could not read (unreadable, or gone meanwhile). Such folders are skipped,
// the walk goes on, and they are reported together once the rows that could be found are listed.
struct WalkProblem {
  std::u16string path;
  std::u16string description;
  std::int32_t line;  // the tree add's step at which it happened
};

// The state of one tree walk.
struct FolderWalk {
  // Identities (FileQueries::FolderIdentity) of the folders already in the folder list: each
  // folder is entered once, so a link back up the tree cannot make the walk endless.
  std::unordered_set<std::string> entered;
  // Folder-list entries whose listing failed; their files are not looked for again.
  std::unordered_set<std::u16string> unreadable;
  // Folders (without the trailing separator) with entries that could not be examined; each is
  // reported once, however many of its entries failed.
  std::unordered_set<std::u16string> unexamined;
  std::vector<WalkProblem> problems;
};

// Shows the folder browser with `prompt` as its title. The chosen folder's path, or the empty
// text on Cancel or for an item without a file-system path.
std::u16string PickFolder(Shell& shell, std::u16string_view prompt);

// Appends to `folder_list` (entries end in the separator) every folder below its entries,
// breadth-first: all folders one level down (grouped by parent, in listing order), then two
// levels down, and so on. Hidden and system folders, names containing "?" and folders already
// entered are left out. Lets pending window events run after reading each folder's listing,
// before examining each listed entry and before handing each found folder to the caller. A
// folder that cannot be read, and the entries of a folder that cannot be examined (their
// attributes or identity unreadable), are recorded in `walk` and skipped.
void CollectSubfolders(Form& form, FileQueries& files, std::vector<std::u16string>& folder_list,
                       bool recurse, FolderWalk& walk);

// The names (not paths) of the files directly in `folder` that match `pattern`, hidden and
// system files included, folders never, in listing order; empty when none match.
// Throws Failure when the folder cannot be read.
std::vector<std::u16string> ListFolderFiles(FileQueries& files, std::u16string_view folder,
                                            std::u16string_view pattern);

// Appends every file of the tree under `folder` that matches `pattern`, folder by folder in
// breadth-first order, joined with JoinPath; names beginning with "~" and files whose
// attributes are exactly hidden + archive (34) are skipped, a file whose attributes cannot be
// read is listed. Runs as steps 114 to 134 of `guard`: a failure is reported with its line and
// the walk goes on. Folders that could not be read, and entries that could not be examined,
// are reported in one box at the end, after every readable folder's files are listed. Stops
// at once, letting ProgramEnding through, when the program ends while events run.
void AddFolderTree(Ports& ports, GuardedHandler& guard, std::u16string_view folder,
                   std::u16string_view pattern);

}  // namespace AddFolder
}  // namespace brintova
