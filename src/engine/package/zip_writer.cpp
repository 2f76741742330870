// libzip behind SourcePackage and ZipWriter; every libzip error becomes a Failure with the
// file and entry named.
#include "engine/package/zip_writer.h"

#include <zip.h>

#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::engine::package {

namespace {

std::string Shown(const std::string& native_path) {
  return "\"" + ToUtf8(TextFromNativePath(native_path)) + "\"";
}

std::string ArchiveError(zip_t* archive) {
  const char* text = archive ? zip_strerror(archive) : nullptr;
  return text ? text : "unknown zip error";
}

}  // namespace

SourcePackage::SourcePackage(const std::string& native_path) : path_(native_path) {
  int code = 0;
  archive_ = zip_open(native_path.c_str(), ZIP_RDONLY, &code);
  if (archive_ == nullptr) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string reason = zip_error_strerror(&error);
    zip_error_fini(&error);
    throw Failure("Cannot read the workbook " + Shown(native_path) +
                  " again to save it: " + reason + ".");
  }
}

SourcePackage::~SourcePackage() {
  if (archive_ != nullptr) zip_discard(archive_);
}

std::int64_t SourcePackage::EntryCount() const { return zip_get_num_entries(archive_, 0); }

std::string SourcePackage::EntryName(std::int64_t index) const {
  const char* name = zip_get_name(archive_, static_cast<zip_uint64_t>(index), ZIP_FL_ENC_RAW);
  return name ? name : "";
}

std::int64_t SourcePackage::Find(std::string_view name) const {
  return zip_name_locate(archive_, std::string(name).c_str(), ZIP_FL_ENC_RAW);
}

std::string SourcePackage::Read(std::int64_t index) const {
  zip_stat_t stat;
  zip_stat_init(&stat);
  const std::string name = EntryName(index);
  if (zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &stat) != 0) {
    throw Failure("Cannot read part " + name + " of " + Shown(path_) + ": " +
                  ArchiveError(archive_) + ".");
  }
  zip_file_t* file = zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), 0);
  if (file == nullptr) {
    throw Failure("Cannot read part " + name + " of " + Shown(path_) + ": " +
                  ArchiveError(archive_) + ".");
  }
  std::string contents;
  if (stat.valid & ZIP_STAT_SIZE) contents.reserve(static_cast<std::size_t>(stat.size));
  char buffer[65536];
  for (;;) {
    const zip_int64_t got = zip_fread(file, buffer, sizeof buffer);
    if (got < 0) {
      std::string reason = zip_file_strerror(file);
      zip_fclose(file);
      throw Failure("Cannot read part " + name + " of " + Shown(path_) + ": " + reason + ".");
    }
    if (got == 0) break;
    contents.append(buffer, static_cast<std::size_t>(got));
  }
  zip_fclose(file);
  return contents;
}

ZipWriter::ZipWriter(const std::string& native_path) : path_(native_path) {
  int code = 0;
  archive_ = zip_open(native_path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (archive_ == nullptr) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string reason = zip_error_strerror(&error);
    zip_error_fini(&error);
    throw Failure("Cannot write " + Shown(native_path) + ": " + reason + ".");
  }
}

ZipWriter::~ZipWriter() {
  if (archive_ != nullptr) zip_discard(archive_);
}

void ZipWriter::AddPart(std::string_view name, std::string contents, int level) {
  buffers_.push_back(std::move(contents));
  const std::string& data = buffers_.back();
  zip_source_t* source = zip_source_buffer(archive_, data.data(), data.size(), 0);
  const std::string entry(name);
  zip_int64_t index = source ? zip_file_add(archive_, entry.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
  if (index < 0) {
    if (source) zip_source_free(source);
    throw Failure("Cannot add part " + entry + " to " + Shown(path_) + ": " +
                  ArchiveError(archive_) + ".");
  }
  zip_set_file_compression(archive_, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE,
                           static_cast<zip_uint32_t>(level));
}

void ZipWriter::CopyEntry(const SourcePackage& source_package, std::int64_t index) {
  const std::string name = source_package.EntryName(index);
  zip_source_t* source = zip_source_zip(archive_, source_package.handle(),
                                        static_cast<zip_uint64_t>(index), ZIP_FL_COMPRESSED, 0, -1);
  zip_int64_t added = source ? zip_file_add(archive_, name.c_str(), source, ZIP_FL_ENC_RAW) : -1;
  if (added < 0) {
    if (source) zip_source_free(source);
    throw Failure("Cannot copy part " + name + " into " + Shown(path_) + ": " +
                  ArchiveError(archive_) + ".");
  }
}

void ZipWriter::Close() {
  if (zip_close(archive_) != 0) {
    throw Failure("Cannot write " + Shown(path_) + ": " + ArchiveError(archive_) + ".");
  }
  archive_ = nullptr;
  buffers_.clear();
}

}  // namespace brintova::engine::package
