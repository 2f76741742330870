// How brintova-cli sets up glibc's allocator for runs that build and drop models of a million
// cells: memory kept for the next workbook, large blocks from the heap, and huge pages.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brintova::cli {

// The allocator's thresholds (see the .cpp for what each bought).
void TuneAllocator();

// The GLIBC_TUNABLES value that makes malloc ask for transparent huge pages, given the value
// the program started with (nullptr: unset) and the kernel's huge page mode (the contents of
// /sys/kernel/mm/transparent_hugepage/enabled, the selected mode in brackets). Nothing when
// asking would change nothing: the kernel hands them out always or never, or the tunable is
// set already (by an earlier start of this program, or by the user, who has the last word).
std::optional<std::string> TunablesAskingForHugePages(const char* current,
                                                      std::string_view kernel_mode);

// Starts the program again, once, with that value: glibc reads its tunables only at start-up.
// Returns (and the run goes on as it is) when there is nothing to change or exec fails.
void RestartAskingForHugePages(char** argv);

}  // namespace brintova::cli
