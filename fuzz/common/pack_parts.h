// Turns a fuzzer's input into a zip package: an input that begins "PK" is a zip as it stands
// (damaged directories, bad compression, bombs); any other input is a list of parts, each
// introduced by a line "#=<part name>", packed into a stored zip with correct checksums, so
// that mutations reach the part parsers instead of failing the CRC.
#pragma once

#include <zip.h>

#include <string>
#include <string_view>

namespace brintova::fuzz {

// Packs "#=name\n<bytes>" sections into a stored zip; false when libzip refuses a name.
inline bool PackParts(std::string_view text, std::string& zip_bytes) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_error_fini(&error);
  if (buffer == nullptr) return false;
  zip_source_keep(buffer);
  zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, nullptr);
  if (archive == nullptr) {
    zip_source_free(buffer);
    return false;
  }
  std::size_t at = text.find("#=");
  bool ok = at != std::string_view::npos;
  while (ok && at != std::string_view::npos) {
    const std::size_t name_end = text.find('\n', at);
    if (name_end == std::string_view::npos) break;
    const std::string name(text.substr(at + 2, name_end - at - 2));
    const std::size_t next = text.find("\n#=", name_end);
    const std::string_view body = text.substr(
        name_end + 1, (next == std::string_view::npos ? text.size() : next) - name_end - 1);
    zip_source_t* part = zip_source_buffer(archive, body.data(), body.size(), 0);
    const zip_int64_t index =
        part == nullptr ? -1 : zip_file_add(archive, name.c_str(), part, ZIP_FL_OVERWRITE);
    if (index < 0) {
      if (part != nullptr) zip_source_free(part);
      ok = false;
      break;
    }
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    at = next == std::string_view::npos ? next : next + 1;
  }
  if (!ok) zip_discard(archive);
  if (!ok || zip_close(archive) != 0) {
    if (ok) zip_discard(archive);  // zip_close failed and left the archive open
    zip_source_free(buffer);
    return false;
  }
  zip_stat_t stat;
  bool read = zip_source_stat(buffer, &stat) == 0 && zip_source_open(buffer) == 0;
  if (read) {
    zip_bytes.resize(stat.size);
    read =
        zip_source_read(buffer, zip_bytes.data(), stat.size) == static_cast<zip_int64_t>(stat.size);
    zip_source_close(buffer);
  }
  zip_source_free(buffer);
  return read;
}

// The input as a zip package (see above); false when it cannot be one.
inline bool InputAsZip(const std::uint8_t* data, std::size_t size, std::string& zip_bytes) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (input.starts_with("PK")) {
    zip_bytes.assign(input);
    return true;
  }
  return PackParts(input, zip_bytes);
}

}  // namespace brintova::fuzz
