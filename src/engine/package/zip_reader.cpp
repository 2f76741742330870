// libzip behind ZipReader: every libzip failure becomes a ReadError with a readable reason.
#include "engine/package/zip_reader.h"

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/package/read_error.h"
#include "engine/package/slot_relay.h"
#include "platform/text.h"

namespace brintova::engine::package {

namespace {

std::string OpenFailureText(int code) {
  switch (code) {
    case ZIP_ER_NOZIP:
      return "not a zip package";
    case ZIP_ER_INCONS:
    case ZIP_ER_CRC:
    case ZIP_ER_EOF:
      return "the zip package is damaged (its directory is inconsistent)";
    case ZIP_ER_OPEN:
    case ZIP_ER_READ:
      return "the file cannot be read";
    case ZIP_ER_MEMORY:
      return "not enough memory to open the zip package";
    default: {
      zip_error_t error;
      zip_error_init_with_code(&error, code);
      std::string text = "the zip package cannot be opened (";
      text += zip_error_strerror(&error);
      text += ")";
      zip_error_fini(&error);
      return text;
    }
  }
}

// libzip answers "not a zip" whenever it finds no central directory, which sits at the end of
// the file: a package cut short loses it too. A file that begins with a zip entry header is such
// a damaged package rather than a file of another kind.
bool BeginsLikeZip(std::string_view head) {
  return head.starts_with(std::string_view("PK\x03\x04", 4));
}

[[noreturn]] void ThrowOpenFailure(int code, std::string_view head) {
  if (code == ZIP_ER_NOZIP && BeginsLikeZip(head)) {
    throw ReadError{"the zip package is damaged (it ends early or its directory is missing)"};
  }
  throw ReadError{OpenFailureText(code), false, code == ZIP_ER_NOZIP};
}

std::string PartText(std::string_view part_name) { return "part " + std::string(part_name); }

constexpr std::size_t kChunkBytes = std::size_t{1} << 18;
constexpr std::uint64_t kPipelineFloor = std::uint64_t{4} << 20;
constexpr std::size_t kPipelineDepth = 4;

// Inflates on a second thread while the caller's sink (the XML parse) works on the chunk
// before: on a large part the two halves of the work overlap. A failure on either side stops
// both and is rethrown here.
template <typename Inflate, typename Sink>
void Pipeline(Inflate& inflate, const Sink& sink) {
  struct Chunk {
    std::vector<char> data = std::vector<char>(kChunkBytes);
    std::size_t size = 0;
  };
  std::vector<Chunk> chunks(kPipelineDepth);
  SlotRelay<Chunk> relay(chunks);
  std::exception_ptr failure;  // the inflating side's, read once it has been joined

  std::thread producer([&] {
    try {
      while (Chunk* chunk = relay.TakeFree()) {
        chunk->size = inflate(chunk->data.data(), chunk->data.size());
        if (chunk->size == 0) break;
        relay.HandOver(chunk);
      }
    } catch (...) {
      failure = std::current_exception();
    }
    relay.Finish();
  });
  auto stop = [&] {
    relay.Cancel();
    producer.join();
  };
  try {
    while (Chunk* chunk = relay.TakeFull()) {
      sink(chunk->data.data(), chunk->size);
      relay.GiveBack(chunk);
    }
  } catch (...) {
    stop();
    throw;
  }
  stop();
  if (failure) std::rethrow_exception(failure);
}

struct FileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

std::string Megabytes(std::uint64_t bytes) { return GroupedDecimal(bytes >> 20) + " MB"; }
// A size past a limit, rounded up so that it never reads as the limit itself.
std::string MegabytesUp(std::uint64_t bytes) {
  return GroupedDecimal((bytes >> 20) + ((bytes & 0xFFFFF) != 0 ? 1 : 0)) + " MB";
}

}  // namespace

std::string FoldPartName(std::string_view part_name) {
  if (!part_name.empty() && part_name.front() == '/') part_name.remove_prefix(1);
  std::string folded(part_name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

ZipReader::~ZipReader() {
  if (archive_ != nullptr) zip_discard(archive_);
}

void ZipReader::OpenFile(const std::string& native_path) {
  int code = 0;
  archive_ = zip_open(native_path.c_str(), ZIP_RDONLY, &code);
  if (archive_ == nullptr) {
    char head[4] = {};
    std::size_t got = 0;
    if (std::FILE* f = std::fopen(native_path.c_str(), "rb")) {
      got = std::fread(head, 1, sizeof head, f);
      std::fclose(f);
    }
    ThrowOpenFailure(code, std::string_view(head, got));
  }
  Index();
}

void ZipReader::OpenBuffer(const void* data, std::size_t size) {
  if (size > limits_.max_package_bytes) {
    throw ReadError{"the file is larger than " + Megabytes(limits_.max_package_bytes) +
                    ", the most this program reads for one workbook"};
  }
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(data, size, 0, &error);
  if (source == nullptr) {
    zip_error_fini(&error);
    throw ReadError{"not enough memory to open the zip package"};
  }
  archive_ = zip_open_from_source(source, ZIP_RDONLY, &error);
  if (archive_ == nullptr) {
    const int code = zip_error_code_zip(&error);
    zip_source_free(source);
    zip_error_fini(&error);
    ThrowOpenFailure(
        code, std::string_view(static_cast<const char*>(data), std::min<std::size_t>(size, 4)));
  }
  zip_error_fini(&error);
  Index();
}

void ZipReader::OpenBytes(std::shared_ptr<const std::string> bytes) {
  bytes_ = std::move(bytes);
  OpenBuffer(bytes_->data(), bytes_->size());
}

// One pass over the directory: every name folded into a hash table, so that a lookup costs
// the same with 100,000 parts as with ten, and a name given twice is caught here.
void ZipReader::Index() {
  const zip_int64_t count = zip_get_num_entries(archive_, 0);
  if (count < 0) throw ReadError{"the zip package is damaged (its directory cannot be read)"};
  names_.reserve(static_cast<std::size_t>(count));
  by_folded_name_.reserve(static_cast<std::size_t>(count));
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(archive_, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
    if (name == nullptr) {
      throw ReadError{"the zip package is damaged (entry " + std::to_string(i + 1) +
                      " has no readable name)"};
    }
    names_.emplace_back(name);
    const std::string& stored = names_.back();
    if (stored.empty() || stored.back() == '/') continue;  // a folder, not a part
    const auto [it, added] = by_folded_name_.emplace(FoldPartName(stored), names_.size() - 1);
    if (!added) {
      const std::string& first = names_[it->second];
      if (first == stored) {
        throw ReadError{"the package holds two parts named " + stored +
                        " (the zip package is damaged)"};
      }
      throw ReadError{"the package holds two parts named " + first + " and " + stored +
                      ", which differ only in case and so name the same part (the zip "
                      "package is damaged)"};
    }
  }
  for (std::size_t i = 0; i < names_.size(); ++i) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive_, i, 0, &stat) == 0 && (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) &&
        stat.encryption_method != ZIP_EM_NONE) {
      throw ReadError{"part " + names_[i] +
                      " is locked with a zip password, which spreadsheet programs never do: "
                      "the package was altered and cannot be read or copied whole"};
    }
  }
}

void ZipReader::CountPackageBytes(std::uint64_t bytes) const {
  inflated_bytes_ += bytes;
  if (inflated_bytes_ > limits_.max_package_bytes) {
    throw ReadError{"its parts unpack to more than " + Megabytes(limits_.max_package_bytes) +
                    ", the most this program reads for one workbook"};
  }
}

std::optional<std::size_t> ZipReader::Find(std::string_view part_name) const {
  const auto it = by_folded_name_.find(FoldPartName(part_name));
  if (it == by_folded_name_.end()) return std::nullopt;
  return it->second;
}

std::int32_t ZipReader::CompressionMethod(std::size_t index) const {
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(archive_, index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_COMP_METHOD)) {
    return ZIP_CM_DEFAULT;
  }
  return stat.comp_method;
}

bool ZipReader::IsStored(std::size_t index) const {
  return CompressionMethod(index) == ZIP_CM_STORE;
}

void ZipReader::Read(std::string_view part_name,
                     const std::function<void(const char*, std::size_t)>& sink) const {
  const auto index = Find(part_name);
  if (!index) throw ReadError{PartText(part_name) + " is missing from the package"};
  ReadEntry(*index, sink);
}

void ZipReader::ReadEntry(std::size_t index,
                          const std::function<void(const char*, std::size_t)>& sink) const {
  const std::string& part_name = names_[index];
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(archive_, index, 0, &stat) != 0) {
    throw ReadError{"the zip package is damaged at " + PartText(part_name)};
  }
  if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
    throw ReadError{"This workbook is encrypted with a password", true};
  }
  const bool sized = (stat.valid & ZIP_STAT_SIZE) != 0;
  if (sized) {
    const std::uint64_t declared_compressed =
        (stat.valid & ZIP_STAT_COMP_SIZE) ? std::max<std::uint64_t>(stat.comp_size, 1) : 1;
    if (stat.size > limits_.max_part_bytes) {
      throw ReadError{PartText(part_name) + " claims to unpack to " + MegabytesUp(stat.size) +
                      ", more than the " + Megabytes(limits_.max_part_bytes) +
                      " this program reads of one part"};
    }
    if (stat.size > limits_.ratio_floor_bytes &&
        stat.size / declared_compressed > limits_.max_ratio) {
      throw ReadError{PartText(part_name) + " claims to unpack to " + MegabytesUp(stat.size) +
                      ", more than " + std::to_string(limits_.max_ratio) +
                      " times its compressed size; the package is refused as a zip bomb"};
    }
    if (inflated_bytes_ + stat.size > limits_.max_package_bytes) CountPackageBytes(stat.size);
  }
  std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen_index(archive_, index, 0));
  if (!file) {
    const int code = zip_error_code_zip(zip_get_error(archive_));
    if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD) {
      throw ReadError{"This workbook is encrypted with a password", true};
    }
    if (code == ZIP_ER_COMPNOTSUPP || code == ZIP_ER_ENCRNOTSUPP) {
      throw ReadError{PartText(part_name) + " is compressed in a way that cannot be read"};
    }
    throw ReadError{"the zip package is damaged at " + PartText(part_name)};
  }
  const std::uint64_t compressed =
      (stat.valid & ZIP_STAT_COMP_SIZE) ? std::max<std::uint64_t>(stat.comp_size, 1) : 1;
  std::uint64_t total = 0;
  // Inflates the next chunk into `buffer`; 0 at the end. Throws ReadError.
  auto inflate = [&](char* buffer, std::size_t capacity) -> std::size_t {
    const zip_int64_t n = zip_fread(file.get(), buffer, capacity);
    if (n < 0) {
      throw ReadError{"the zip package is damaged at " + PartText(part_name) +
                      " (its data is truncated or fails its checksum)"};
    }
    total += static_cast<std::uint64_t>(n);
    // The directory's size is what the checks above were made against: data running past it
    // would slip by them, so it is refused as soon as it does.
    if (sized && total > stat.size) {
      throw ReadError{PartText(part_name) +
                      " holds more data than its zip entry declares (the zip package is "
                      "damaged)"};
    }
    if (total > limits_.max_part_bytes) {
      throw ReadError{PartText(part_name) + " unpacks to more than the " +
                      Megabytes(limits_.max_part_bytes) + " this program reads of one part"};
    }
    if (total > limits_.ratio_floor_bytes && total / compressed > limits_.max_ratio) {
      throw ReadError{PartText(part_name) + " inflates more than " +
                      std::to_string(limits_.max_ratio) +
                      " times its compressed size; the package is refused as a zip bomb"};
    }
    CountPackageBytes(static_cast<std::uint64_t>(n));
    return static_cast<std::size_t>(n);
  };
  bool large = sized && stat.size > kPipelineFloor;
  if (large) {
    try {
      Pipeline(inflate, sink);
      return;
    } catch (const std::system_error&) {
      // No second thread could be started (memory or thread limits): inflate here instead.
      if (total != 0) throw;
      large = false;
    }
  }
  if (!large) {
    // Sized to the part: a workbook of 100,000 small sheets must not pay for a full chunk each.
    const std::size_t capacity = static_cast<std::size_t>(
        std::clamp<std::uint64_t>(sized ? stat.size + 1 : kChunkBytes, 4096, kChunkBytes));
    std::unique_ptr<char[]> buffer(new char[capacity]);
    while (const std::size_t n = inflate(buffer.get(), capacity)) sink(buffer.get(), n);
  }
}

std::optional<DeflateStream> ZipReader::ReadDeflateStream(std::size_t index) const {
  const std::string& part_name = names_[index];
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(archive_, index, 0, &stat) != 0) {
    throw ReadError{"the zip package is damaged at " + PartText(part_name)};
  }
  constexpr zip_uint64_t kNeeded =
      ZIP_STAT_COMP_METHOD | ZIP_STAT_COMP_SIZE | ZIP_STAT_SIZE | ZIP_STAT_CRC;
  if ((stat.valid & kNeeded) != kNeeded || stat.comp_method != ZIP_CM_DEFLATE) return std::nullopt;
  if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
    throw ReadError{"This workbook is encrypted with a password", true};
  }
  std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen_index(archive_, index, ZIP_FL_COMPRESSED));
  if (!file) throw ReadError{"the zip package is damaged at " + PartText(part_name)};
  DeflateStream stream;
  stream.crc = stat.crc;
  stream.size = stat.size;
  stream.bytes.resize(static_cast<std::size_t>(stat.comp_size));
  std::size_t got = 0;
  while (got < stream.bytes.size()) {
    const zip_int64_t n =
        zip_fread(file.get(), stream.bytes.data() + got, stream.bytes.size() - got);
    if (n <= 0) {
      throw ReadError{"the zip package is damaged at " + PartText(part_name) +
                      " (its data is truncated)"};
    }
    got += static_cast<std::size_t>(n);
  }
  return stream;
}

std::uint64_t ZipReader::DeclaredSize(std::string_view part_name) const {
  const std::optional<std::size_t> index = Find(part_name);
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (!index || zip_stat_index(archive_, *index, 0, &stat) != 0) return 0;
  return (stat.valid & ZIP_STAT_SIZE) != 0 ? stat.size : 0;
}

std::string ZipReader::ReadAll(std::string_view part_name) const {
  std::string bytes;
  Read(part_name, [&](const char* data, std::size_t size) { bytes.append(data, size); });
  return bytes;
}

}  // namespace brintova::engine::package
