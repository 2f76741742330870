#include "support/scratch_files.h"

#include <zip.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace brintova::testfiles {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
  std::string pattern = (fs::temp_directory_path() / "brintova-test-XXXXXX").string();
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
    if (zip_stat_index(archive.get(), i, 0, &st) != 0) {
      throw std::runtime_error("cannot read the directory of " + path);
    }
    std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(zip_fopen_index(archive.get(), i, 0),
                                                            &zip_fclose);
    std::string data(st.size, '\0');
    if (!file || zip_fread(file.get(), data.data(), st.size) != static_cast<zip_int64_t>(st.size)) {
      throw std::runtime_error(std::string("cannot read entry ") + st.name + " of " + path);
    }
    entries.emplace(st.name, std::move(data));
  }
  return entries;
}

}  // namespace brintova::testfiles
