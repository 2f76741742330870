// Helpers of the command-line tests.
#include "cli_test_support.h"

#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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

ScratchFolder::ScratchFolder() {
  std::string pattern = (fs::temp_directory_path() / "brintova-cli-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string ScratchFolder::Copy(const std::string& from, const std::string& name) const {
  const fs::path to = File(name);
  fs::create_directories(to.parent_path());
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
  return to.string();
}

std::vector<std::string> ScratchFolder::Entries(const std::string& folder) const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder.empty() ? path_ : File(folder))) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::map<std::string, std::string> ZipEntries(const std::string& path) {
  int code = 0;
  std::unique_ptr<zip_t, decltype(&zip_discard)> archive(zip_open(path.c_str(), ZIP_RDONLY, &code),
                                                         &zip_discard);
  if (!archive) throw std::runtime_error(path + " is not a zip file");
  std::map<std::string, std::string> entries;
  const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t st;
    if (zip_stat_index(archive.get(), i, 0, &st) != 0) throw std::runtime_error("zip_stat");
    std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(zip_fopen_index(archive.get(), i, 0),
                                                            &zip_fclose);
    if (!file) throw std::runtime_error(std::string("cannot open entry ") + st.name);
    std::string data(st.size, '\0');
    if (zip_fread(file.get(), data.data(), st.size) != static_cast<zip_int64_t>(st.size)) {
      throw std::runtime_error(std::string("short entry ") + st.name);
    }
    entries.emplace(st.name, std::move(data));
  }
  return entries;
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
