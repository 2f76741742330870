// libzip behind ZipWriter; every libzip error becomes a Failure naming the file the user chose
// and, for errors of the disk, what went wrong in the user's terms.
#include "engine/package/zip_writer.h"

#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "engine/package/zip_reader.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::engine::package {

namespace {

std::string Quoted(const std::string& shown) { return "\"" + shown + "\""; }

// The libzip error of an archive as a reason: a system error through DiskErrorText, anything
// else as libzip words it.
std::string ArchiveError(zip_t* archive) {
  if (archive == nullptr) return "unknown zip error";
  zip_error_t* error = zip_get_error(archive);
  if (zip_error_system_type(error) == ZIP_ET_SYS && zip_error_code_system(error) != 0) {
    return DiskErrorText(zip_error_code_system(error));
  }
  if (zip_error_code_zip(error) == ZIP_ER_MEMORY) return "there is not enough memory";
  const char* text = zip_error_strerror(error);
  return text ? text : "unknown zip error";
}

// A part deflated already, read by libzip as a stream it need not compress: the size, CRC and
// method it reports let libzip write the bytes as they are.
struct DeflatedSource {
  const DeflatedPart* part;
  std::size_t piece = 0;  // the piece read next
  std::size_t at = 0;     // within that piece
};

zip_int64_t ReadDeflated(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  auto* source = static_cast<DeflatedSource*>(state);
  switch (command) {
    case ZIP_SOURCE_OPEN:
      source->piece = 0;
      source->at = 0;
      return 0;
    case ZIP_SOURCE_READ: {
      const auto& pieces = source->part->pieces;
      std::size_t copied = 0;
      while (copied < length && source->piece < pieces.size()) {
        const std::string& piece = pieces[source->piece];
        const std::size_t n = std::min<std::size_t>(length - copied, piece.size() - source->at);
        std::memcpy(static_cast<char*>(data) + copied, piece.data() + source->at, n);
        copied += n;
        source->at += n;
        if (source->at == piece.size()) {
          ++source->piece;
          source->at = 0;
        }
      }
      return static_cast<zip_int64_t>(copied);
    }
    case ZIP_SOURCE_CLOSE:
      return 0;
    case ZIP_SOURCE_STAT: {
      auto* stat = static_cast<zip_stat_t*>(data);
      zip_stat_init(stat);
      stat->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
      stat->size = source->part->size;
      stat->comp_size = source->part->CompressedSize();
      stat->comp_method = ZIP_CM_DEFLATE;
      stat->crc = source->part->crc;
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(nullptr, data, length);
    case ZIP_SOURCE_FREE:
      delete source;
      return 0;
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                            ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
      return -1;
  }
}

}  // namespace

std::string DiskErrorText(int error_number) {
  switch (error_number) {
    case ENOSPC:
      return "the disk is full";
    case EDQUOT:
      return "the disk quota is used up";
    case EFBIG:
      return "the file would be larger than the disk or the system allows";
    case EROFS:
      return "the disk is read-only";
    case EACCES:
    case EPERM:
      return "permission was denied";
    case EIO:
      return "the disk reported an input/output error";
    default:
      return std::strerror(error_number);
  }
}

ZipWriter::ZipWriter(const std::string& native_path, std::string shown_target)
    : shown_target_(std::move(shown_target)) {
  int code = 0;
  archive_ = zip_open(native_path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (archive_ == nullptr) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string reason = zip_error_system_type(&error) == ZIP_ET_SYS
                             ? DiskErrorText(zip_error_code_system(&error))
                             : zip_error_strerror(&error);
    zip_error_fini(&error);
    throw Failure("Cannot save " + Quoted(shown_target_) + ": " + reason + ".");
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
    throw Failure("Cannot save " + Quoted(shown_target_) + ": part " + entry +
                  " cannot be added (" + ArchiveError(archive_) + ").");
  }
  zip_set_file_compression(archive_, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE,
                           static_cast<zip_uint32_t>(level));
}

void ZipWriter::AddDeflatedPart(std::string_view name, DeflatedPart part) {
  deflated_.push_back(std::move(part));
  auto* state = new DeflatedSource{&deflated_.back()};
  zip_source_t* source = zip_source_function(archive_, ReadDeflated, state);
  if (source == nullptr) delete state;
  const std::string entry(name);
  const zip_int64_t index =
      source ? zip_file_add(archive_, entry.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
  if (index < 0) {
    if (source) zip_source_free(source);
    throw Failure("Cannot save " + Quoted(shown_target_) + ": part " + entry +
                  " cannot be added (" + ArchiveError(archive_) + ").");
  }
}

void ZipWriter::CopyEntry(const ZipReader& source_package, std::size_t index) {
  const std::string& name = source_package.EntryName(index);
  zip_source_t* source =
      zip_source_zip(archive_, source_package.handle(), index, ZIP_FL_COMPRESSED, 0, -1);
  const zip_int64_t added =
      source ? zip_file_add(archive_, name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
  if (added < 0) {
    if (source) zip_source_free(source);
    throw Failure("Cannot save " + Quoted(shown_target_) + ": part " + name +
                  " cannot be copied (" + ArchiveError(archive_) + ").");
  }
  // libzip would deflate an entry added under its default method: a part the source stored
  // must stay stored, byte for byte. A deflated one is copied as it is either way.
  const std::int32_t method = source_package.CompressionMethod(index);
  if (method == ZIP_CM_STORE) {
    zip_set_file_compression(archive_, static_cast<zip_uint64_t>(added), ZIP_CM_STORE, 0);
  } else if (method != ZIP_CM_DEFLATE && zip_compression_method_supported(method, 1)) {
    zip_set_file_compression(archive_, static_cast<zip_uint64_t>(added), method, 0);
  }
}

void ZipWriter::Close() {
  if (zip_close(archive_) != 0) {
    throw Failure("Cannot save " + Quoted(shown_target_) + ": " + ArchiveError(archive_) + ".");
  }
  archive_ = nullptr;
  buffers_.clear();
  deflated_.clear();
}

}  // namespace brintova::engine::package
