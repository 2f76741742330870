// What the command-line tests share: the sample and fixture paths, and running a command line
// in-process or through the built executable.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/scratch_files.h"

namespace brintova::cli::testing {

std::string SamplePath(const std::string& name);  // a workbook of Samples/
std::string DataPath(const std::string& name);    // a fixture of tests/cli/data/

using testfiles::ReadBytes;
using testfiles::ScratchFolder;
using testfiles::ZipEntries;

struct CommandResult {
  int status = -1;
  std::string out;
  std::string err;
};

// CommandLineMain on `arguments` (without the program name), standard error no terminal.
CommandResult RunInProcess(const std::vector<std::string>& arguments);

// The built brintova-cli on `arguments`, its streams captured through files in `scratch`.
CommandResult RunExecutable(const std::vector<std::string>& arguments,
                            const ScratchFolder& scratch);

}  // namespace brintova::cli::testing
