// brintova-cli: the extraction run of the desktop program, unattended, on any number of
// workbooks; and a listing of a workbook's displayed texts.
#include <unistd.h>

#include <iostream>

#include "cli/memory_tuning.h"
#include "cli/run_command.h"

int main(int argc, char** argv) {
  brintova::cli::RestartAskingForHugePages(argv);
  brintova::cli::TuneAllocator();
  std::ios::sync_with_stdio(false);
  return brintova::cli::CommandLineMain(argc, argv, std::cout, std::cerr,
                                        isatty(STDERR_FILENO) != 0, isatty(STDOUT_FILENO) != 0);
}
