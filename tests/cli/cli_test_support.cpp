// Helpers of the command-line tests.
#include "cli_test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "cli/run_command.h"

namespace brintova::cli::testing {

namespace fs = std::filesystem;

std::string SamplePath(const std::string& name) {
  return std::string(BRINTOVA_SAMPLES) + "/" + name;
}

std::string DataPath(const std::string& name) {
  return std::string(BRINTOVA_CLI_TEST_DATA) + "/" + name;
}

CommandResult RunInProcess(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv{"brintova-cli"};
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  std::ostringstream out;
  std::ostringstream err;
  CommandResult result;
  result.status = CommandLineMain(static_cast<int>(argv.size()), argv.data(), out, err, false);
  result.out = out.str();
  result.err = err.str();
  return result;
}

CommandResult RunExecutable(const std::vector<std::string>& arguments,
                            const ScratchFolder& scratch) {
  const std::string out_path = scratch.File(".stdout");
  const std::string err_path = scratch.File(".stderr");
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    if (!freopen(out_path.c_str(), "w", stdout) || !freopen(err_path.c_str(), "w", stderr)) {
      _exit(127);
    }
    std::vector<char*> argv{const_cast<char*>(BRINTOVA_CLI_EXECUTABLE)};
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(BRINTOVA_CLI_EXECUTABLE, argv.data());
    _exit(127);
  }
  int wait_status = 0;
  if (waitpid(child, &wait_status, 0) != child) throw std::runtime_error("waitpid failed");
  CommandResult result;
  result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  result.out = ReadBytes(out_path);
  result.err = ReadBytes(err_path);
  fs::remove(out_path);
  fs::remove(err_path);
  return result;
}

}  // namespace brintova::cli::testing
