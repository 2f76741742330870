// Start-up of the main window and the shared procedures it uses: centring, the file-exists
// test, the optional skin, the spreadsheet-server check; and closing the window.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/ports.h"

namespace brintova {

// The entries of Combo1 in index order; the index is the operation the run dispatches on.
inline constexpr std::array<std::u16string_view, 11> kOperationCaptions = {
    u"Extract Alphabet Characters In All Cells",
    u"Extract Numbers In All Cells",
    u"Extract Alphanumeric Characters In All Cells",
    u"Extract Non-Alphanumeric Characters In All Cells",
    u"Extract User-defined Characters In All Cells",
    u"Extract All Characters After User-defined Characters In All Cells",
    u"Extract All Characters Before User-defined Characters In All Cells",
    u"Extract First x Characters In All Cells",
    u"Extract Last x Characters In All Cells",
    u"Extract All Characters After x Numeric Position",
    u"Extract All Characters Before x Numeric Position",
};

inline constexpr std::u16string_view kExcelMissingMessage =
    u"Excel is not installed on this computer. You need to have it installed to use this "
    u"software without error.";

// Resource files in the program folder, as folder names below it and the file name.
inline constexpr std::u16string_view kHandCursorFile = u"HAND-M.CUR";
inline constexpr std::u16string_view kSkinFolder = u"x";
inline constexpr std::u16string_view kSkinFile = u"o.cjs";

// Start-up, steps 100 to 156; guarded: each failing step is reported and the next one runs.
// The caller shows the window afterwards, so any box appears before the window does.
void Form_Load(Ports& ports);

// Closing the main window. Nothing is asked or saved, and no spreadsheet instance is touched:
// instances a run made visible stay open. The window layer ends the program once every window
// it shows is closed.
void Form_Unload(Ports& ports);

// Places the window in the middle of the screen: left first, then top, in twips.
void CenterForm(Form& form);

// True when the last-modified time of `path` can be read; every failure answers false.
bool FileExists(FileQueries& files, std::u16string_view path);

// With the skin file present: button-face colours for the window and its option buttons, check
// boxes, frames and labels, then the skin engine's calls in order. Without it, nothing.
void ApplySkin(Ports& ports);

// Creates a spreadsheet server instance and releases it at once; tells the user when that
// fails. Never fails itself.
void CheckExcelInstalled(Ports& ports);

// The operation index stored under "Combo1": the text rounded to a whole number, halves to
// even. Throws Failure when it is not a number or lies outside -1..10.
std::int32_t SavedOperationIndex(std::u16string_view stored);

// The program folder joined with `names`, using the platform's separator.
std::u16string ProgramFile(Ports& ports, std::initializer_list<std::u16string_view> names);

}  // namespace brintova
