// libzip behind ZipWriter; every libzip error becomes a Failure naming the file the user chose
// and, for errors of the disk, what went wrong in the user's terms.
#include "engine/package/zip_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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

// The package goes into the file ZipWriter was given (the temporary file of an atomic save)
// through one buffer. libzip's own file source writes yet another temporary file beside it,
// copies the old file's permissions to it and renames it, writes each header on its own and asks
// the system for the file's position at every entry: some 150 system calls a package, half of
// the time of saving a small workbook.
class FileSink {
 public:
  explicit FileSink(int fd) : fd_(fd) {
    zip_error_init(&error_);
    struct stat info {};
    if (fstat(fd_, &info) == 0 && info.st_size > 0) {
      existing_size_ = static_cast<std::uint64_t>(info.st_size);
    }
  }
  ~FileSink() { zip_error_fini(&error_); }
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  static zip_int64_t Call(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    return static_cast<FileSink*>(state)->Handle(data, length, command);
  }

 private:
  static constexpr std::size_t kFlushBytes = std::size_t{1} << 20;

  zip_int64_t Handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
    switch (command) {
      case ZIP_SOURCE_SUPPORTS:
        return ZIP_SOURCE_SUPPORTS_WRITABLE;
      case ZIP_SOURCE_STAT:
        // No package is there to be read: libzip starts a new one.
        zip_error_set(&error_, ZIP_ER_READ, ENOENT);
        return -1;
      case ZIP_SOURCE_BEGIN_WRITE:
        buffer_.clear();
        buffer_start_ = position_ = end_ = 0;
        return 0;
      case ZIP_SOURCE_WRITE:
        return Write(static_cast<const char*>(data), static_cast<std::size_t>(length));
      case ZIP_SOURCE_SEEK_WRITE: {
        const zip_int64_t to =
            zip_source_seek_compute_offset(position_, end_, data, length, &error_);
        if (to < 0) return -1;
        position_ = static_cast<std::uint64_t>(to);
        return 0;
      }
      case ZIP_SOURCE_TELL_WRITE:
        return static_cast<zip_int64_t>(position_);
      case ZIP_SOURCE_COMMIT_WRITE:
        if (!Flush()) return -1;
        // Whatever a file that was not empty held past the package goes. A file is never
        // truncated otherwise: ext4 writes a truncated file out to the disk as it is closed.
        if (existing_size_ > end_ && ftruncate(fd_, static_cast<off_t>(end_)) != 0) {
          return Fail(errno);
        }
        return 0;
      case ZIP_SOURCE_ROLLBACK_WRITE:
        buffer_.clear();
        return 0;
      case ZIP_SOURCE_REMOVE:  // the atomic save removes its temporary file itself
      case ZIP_SOURCE_CLOSE:
      case ZIP_SOURCE_FREE:  // owned by the ZipWriter
        return 0;
      case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&error_, data, length);
      default:  // reading: a package being written is never read back
        zip_error_set(&error_, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
  }

  zip_int64_t Write(const char* data, std::size_t size) {
    if (position_ == buffer_start_ + buffer_.size()) {
      buffer_.append(data, size);
      position_ += size;
      end_ = std::max(end_, position_);
      if (buffer_.size() >= kFlushBytes && !Flush()) return -1;
      return static_cast<zip_int64_t>(size);
    }
    if (position_ >= buffer_start_ && position_ + size <= buffer_start_ + buffer_.size()) {
      // A header written again after its data, still in the buffer.
      std::memcpy(buffer_.data() + (position_ - buffer_start_), data, size);
      position_ += size;
      return static_cast<zip_int64_t>(size);
    }
    // One already in the file: what is buffered goes first, then this in place.
    if (!Flush() || !WriteAt(position_, data, size)) return -1;
    position_ += size;
    end_ = std::max(end_, position_);
    buffer_start_ = end_;
    return static_cast<zip_int64_t>(size);
  }

  bool Flush() {
    if (!WriteAt(buffer_start_, buffer_.data(), buffer_.size())) return false;
    buffer_start_ += buffer_.size();
    buffer_.clear();
    return true;
  }

  bool WriteAt(std::uint64_t offset, const char* data, std::size_t size) {
    while (size > 0) {
      const ssize_t n = pwrite(fd_, data, size, static_cast<off_t>(offset));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return Fail(n < 0 ? errno : ENOSPC) == 0;
      data += n;
      size -= static_cast<std::size_t>(n);
      offset += static_cast<std::uint64_t>(n);
    }
    return true;
  }

  zip_int64_t Fail(int error_number) {
    zip_error_set(&error_, ZIP_ER_WRITE, error_number);
    return -1;
  }

  int fd_;
  std::string buffer_;               // the bytes from buffer_start_ on, not yet in the file
  std::uint64_t buffer_start_ = 0;   // everything before it is in the file
  std::uint64_t position_ = 0;       // where libzip writes next
  std::uint64_t end_ = 0;            // the package's size so far
  std::uint64_t existing_size_ = 0;  // what the file held before
  zip_error_t error_;
};

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
  fd_ = open(native_path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    throw Failure("Cannot save " + Quoted(shown_target_) + ": " + DiskErrorText(errno) + ".");
  }
  sink_ = std::make_unique<FileSink>(fd_);
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_function_create(&FileSink::Call, sink_.get(), &error);
  if (source != nullptr) {
    archive_ = zip_open_from_source(source, ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive_ == nullptr) zip_source_free(source);
  }
  if (archive_ == nullptr) {
    std::string reason = zip_error_system_type(&error) == ZIP_ET_SYS
                             ? DiskErrorText(zip_error_code_system(&error))
                             : zip_error_strerror(&error);
    zip_error_fini(&error);
    close(fd_);
    throw Failure("Cannot save " + Quoted(shown_target_) + ": " + reason + ".");
  }
  zip_error_fini(&error);
}

ZipWriter::~ZipWriter() {
  if (archive_ != nullptr) zip_discard(archive_);
  if (fd_ >= 0) close(fd_);
}

std::uint64_t ZipWriter::AddEntry(const std::string& name, zip_source* source,
                                  std::string_view failing) {
  const zip_int64_t index =
      source ? zip_file_add(archive_, name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
  if (index < 0) {
    if (source) zip_source_free(source);
    throw Failure("Cannot save " + Quoted(shown_target_) + ": part " + name + " " +
                  std::string(failing) + " (" + ArchiveError(archive_) + ").");
  }
  return static_cast<zip_uint64_t>(index);
}

void ZipWriter::AddPart(std::string_view name, std::string contents, int level) {
  buffers_.push_back(std::move(contents));
  const std::string& data = buffers_.back();
  const zip_uint64_t index =
      AddEntry(std::string(name), zip_source_buffer(archive_, data.data(), data.size(), 0),
               "cannot be added");
  zip_set_file_compression(archive_, index, ZIP_CM_DEFLATE, static_cast<zip_uint32_t>(level));
}

void ZipWriter::AddDeflatedPart(std::string_view name, DeflatedPart part) {
  deflated_.push_back(std::move(part));
  auto* state = new DeflatedSource{&deflated_.back()};
  zip_source_t* source = zip_source_function(archive_, ReadDeflated, state);
  if (source == nullptr) delete state;
  AddEntry(std::string(name), source, "cannot be added");
}

void ZipWriter::CopyEntry(const ZipReader& source_package, std::size_t index) {
  const zip_uint64_t added =
      AddEntry(source_package.EntryName(index),
               zip_source_zip(archive_, source_package.handle(), index, ZIP_FL_COMPRESSED, 0, -1),
               "cannot be copied");
  // libzip would deflate an entry added under its default method: a part the source stored
  // must stay stored, byte for byte. A deflated one is copied as it is either way.
  const std::int32_t method = source_package.CompressionMethod(index);
  if (method == ZIP_CM_STORE) {
    zip_set_file_compression(archive_, added, ZIP_CM_STORE, 0);
  } else if (method != ZIP_CM_DEFLATE && zip_compression_method_supported(method, 1)) {
    zip_set_file_compression(archive_, added, method, 0);
  }
}

void ZipWriter::Close() {
  if (zip_close(archive_) != 0) {
    throw Failure("Cannot save " + Quoted(shown_target_) + ": " + ArchiveError(archive_) + ".");
  }
  archive_ = nullptr;
  // A file system that writes late (over a network, say) reports its failure here.
  const int closed = close(fd_);
  fd_ = -1;
  if (closed != 0) {
    throw Failure("Cannot save " + Quoted(shown_target_) + ": " + DiskErrorText(errno) + ".");
  }
  buffers_.clear();
  deflated_.clear();
}

}  // namespace brintova::engine::package
