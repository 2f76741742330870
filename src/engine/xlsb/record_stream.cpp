// Record framing and field reading for the binary parts of an .xlsb package.
#include "engine/xlsb/record_stream.h"

#include <cstring>

#include "engine/package/read_error.h"
#include "engine/package/zip_reader.h"

namespace brintova::engine::xlsb {

namespace {

constexpr std::size_t kLongestHeader = 6;  // two type bytes and four size bytes

// The length of the record starting at `p` (header and body); 0 when the header itself is not
// complete yet. Throws ReadError when the size runs past four bytes.
std::size_t RecordLength(const unsigned char* p, std::size_t n, std::size_t& header,
                         std::uint32_t& type) {
  if (n < 1) return 0;
  std::size_t at = 1;
  type = p[0] & 0x7Fu;
  if (p[0] & 0x80u) {
    if (n < 2) return 0;
    type |= static_cast<std::uint32_t>(p[1] & 0x7Fu) << 7;
    at = 2;
  }
  std::uint32_t size = 0;
  for (int i = 0; i < 4; ++i) {
    if (at >= n) return 0;
    const unsigned char b = p[at++];
    size |= static_cast<std::uint32_t>(b & 0x7Fu) << (7 * i);
    if ((b & 0x80u) == 0) {
      header = at;
      return at + size;
    }
  }
  throw package::ReadError{
      "a record's size is written in more than four bytes (the file is damaged)"};
}

}  // namespace

void RecordCursor::Short() const {
  throw package::ReadError{std::string(what_) + " ends early (the file is damaged)"};
}

std::uint8_t RecordCursor::U8() {
  if (left() < 1) Short();
  return static_cast<std::uint8_t>(body_[at_++]);
}

std::uint16_t RecordCursor::U16() {
  if (left() < 2) Short();
  const auto* p = reinterpret_cast<const unsigned char*>(body_.data() + at_);
  at_ += 2;
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t RecordCursor::U32() {
  if (left() < 4) Short();
  const auto* p = reinterpret_cast<const unsigned char*>(body_.data() + at_);
  at_ += 4;
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

double RecordCursor::F64() {
  if (left() < 8) Short();
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) {
    bits = (bits << 8) | static_cast<unsigned char>(body_[at_ + static_cast<std::size_t>(i)]);
  }
  at_ += 8;
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

double RecordCursor::Rk() { return DecodeRk(U32()); }

void RecordCursor::WideString(std::u16string& out) {
  const std::uint32_t count = U32();
  if (count == 0xFFFFFFFFu) return;  // a null string
  if (count > left() / 2) Short();
  const auto* p = reinterpret_cast<const unsigned char*>(body_.data() + at_);
  const std::size_t begin = out.size();
  out.resize(begin + count);
  for (std::uint32_t i = 0; i < count; ++i) {
    out[begin + i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
  }
  at_ += std::size_t{count} * 2;
}

void RecordCursor::Skip(std::size_t bytes) {
  if (left() < bytes) Short();
  at_ += bytes;
}

double DecodeRk(std::uint32_t rk) {
  double value;
  if (rk & 0x2u) {
    value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
  } else {
    const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
    std::memcpy(&value, &bits, sizeof value);
  }
  return (rk & 0x1u) ? value / 100 : value;
}

std::size_t RecordStream::Cut(const char* data, std::size_t size) {
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  std::size_t at = 0;
  while (at < size) {
    std::size_t header = 0;
    std::uint32_t type = 0;
    const std::size_t length = RecordLength(p + at, size - at, header, type);
    if (length == 0 || length > size - at) break;
    sink_(type, std::string_view(data + at + header, length - header));
    at += length;
  }
  return at;
}

void RecordStream::Feed(const char* data, std::size_t size) {
  while (size > 0) {
    if (carry_.empty()) {
      const std::size_t used = Cut(data, size);
      carry_.assign(data + used, size - used);
      return;
    }
    // Complete the record begun in an earlier piece, taking only the bytes it still needs.
    std::size_t header = 0;
    std::uint32_t type = 0;
    const std::size_t length = RecordLength(reinterpret_cast<const unsigned char*>(carry_.data()),
                                            carry_.size(), header, type);
    const std::size_t want = length == 0 ? kLongestHeader : length - carry_.size();
    const std::size_t take = want < size ? want : size;
    carry_.append(data, take);
    data += take;
    size -= take;
    const std::size_t used = Cut(carry_.data(), carry_.size());
    carry_.erase(0, used);
  }
}

void RecordStream::Finish() const {
  if (!carry_.empty()) {
    throw package::ReadError{"the part ends in the middle of a record (the file is damaged)"};
  }
}

void ReadRecords(const package::ZipReader& zip, std::string_view part_name,
                 const RecordSink& sink) {
  RecordStream stream(sink);
  try {
    zip.Read(part_name, [&](const char* data, std::size_t size) { stream.Feed(data, size); });
    stream.Finish();
  } catch (package::ReadError& error) {
    // Failures of the zip layer name the part already; those of the records get it here.
    if (!error.encrypted && error.description.find(std::string(part_name)) == std::string::npos) {
      error.description = "part " + std::string(part_name) + ": " + error.description;
    }
    throw;
  }
}

}  // namespace brintova::engine::xlsb
