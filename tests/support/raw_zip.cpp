#include "support/raw_zip.h"

#include <zip.h>
#include <zlib.h>

#include <memory>
#include <stdexcept>

namespace brintova::testfiles {

namespace {

void Put16(std::string& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

std::string RawDeflate(const std::string& data) {
  z_stream stream{};
  if (deflateInit2(&stream, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::runtime_error("deflateInit2");
  }
  std::string out(deflateBound(&stream, data.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  if (deflate(&stream, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

}  // namespace

std::string MakeRawZip(const std::vector<RawZipEntry>& entries) {
  std::string out;
  std::string directory;
  for (const RawZipEntry& entry : entries) {
    const std::string body = entry.deflate ? RawDeflate(entry.data) : entry.data;
    const auto crc =
        static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(entry.data.data()),
                                         static_cast<uInt>(entry.data.size())));
    const std::uint32_t size =
        entry.declared_size.value_or(static_cast<std::uint32_t>(entry.data.size()));
    const std::uint32_t flags = entry.marked_encrypted ? 1 : 0;
    const std::uint32_t method = entry.deflate ? 8 : 0;
    const auto offset = static_cast<std::uint32_t>(out.size());
    std::string common;
    Put16(common, 20);  // version needed
    Put16(common, flags);
    Put16(common, method);
    Put16(common, 0);     // time
    Put16(common, 0x21);  // date: 1980-01-01
    Put32(common, crc);
    Put32(common, static_cast<std::uint32_t>(body.size()));
    Put32(common, size);
    Put16(common, static_cast<std::uint32_t>(entry.name.size()));
    Put16(common, 0);  // extra length
    Put32(out, 0x04034b50);
    out += common + entry.name + body;
    Put32(directory, 0x02014b50);
    Put16(directory, 20);  // version made by
    directory += common;
    Put16(directory, 0);  // comment length
    Put16(directory, 0);  // disk
    Put16(directory, 0);  // internal attributes
    Put32(directory, 0);  // external attributes
    Put32(directory, offset);
    directory += entry.name;
  }
  const auto directory_offset = static_cast<std::uint32_t>(out.size());
  out += directory;
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<std::uint32_t>(entries.size()));
  Put16(out, static_cast<std::uint32_t>(entries.size()));
  Put32(out, static_cast<std::uint32_t>(directory.size()));
  Put32(out, directory_offset);
  Put16(out, 0);
  return out;
}

std::map<std::string, StoredEntry> ZipStoredEntries(const std::string& path) {
  int code = 0;
  std::unique_ptr<zip_t, decltype(&zip_discard)> archive(zip_open(path.c_str(), ZIP_RDONLY, &code),
                                                         &zip_discard);
  if (!archive) throw std::runtime_error(path + " is not a zip file");
  std::map<std::string, StoredEntry> entries;
  const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t st;
    if (zip_stat_index(archive.get(), i, 0, &st) != 0) throw std::runtime_error("zip_stat");
    StoredEntry& entry = entries[st.name];
    entry.method = st.comp_method;
    entry.compressed_bytes.resize(st.comp_size);
    zip_file_t* file = zip_fopen_index(archive.get(), i, ZIP_FL_COMPRESSED);
    if (file == nullptr) throw std::runtime_error("zip_fopen_index");
    const zip_int64_t got = zip_fread(file, entry.compressed_bytes.data(), st.comp_size);
    zip_fclose(file);
    if (got != static_cast<zip_int64_t>(st.comp_size)) throw std::runtime_error("zip_fread");
  }
  return entries;
}

}  // namespace brintova::testfiles
