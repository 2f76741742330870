// Records and continued data of a legacy workbook stream.
#include "engine/legacy/biff_stream.h"

#include <algorithm>

#include "engine/legacy/byte_reading.h"

namespace brintova::engine::legacy {

bool RecordStream::Next(Record& record) {
  if (stream_.size() - at_ < 4) {
    at_ = stream_.size();
    return false;
  }
  record.offset = at_;
  record.type = ReadU16(stream_, at_);
  const std::size_t length = ReadU16(stream_, at_ + 2);
  at_ += 4;
  const std::size_t available = std::min(length, stream_.size() - at_);
  record.body = stream_.substr(at_, available);
  at_ += available;
  return true;
}

bool RecordStream::NextIs(std::uint16_t type) const {
  return stream_.size() - at_ >= 4 && ReadU16(stream_, at_) == type;
}

bool ContinuedReader::NextPiece() {
  if (!records_.NextIs(kContinueRecord)) return false;
  Record next;
  records_.Next(next);
  piece_ = next.body;
  at_ = 0;
  return true;
}

bool ContinuedReader::Ensure() {
  while (at_ >= piece_.size()) {
    if (!NextPiece()) {
      failed_ = true;
      return false;
    }
  }
  return true;
}

std::uint8_t ContinuedReader::U8() {
  if (!Ensure()) return 0;
  return static_cast<std::uint8_t>(piece_[at_++]);
}

std::uint16_t ContinuedReader::U16() {
  const std::uint8_t low = U8();
  return static_cast<std::uint16_t>(low | U8() << 8);
}

std::uint32_t ContinuedReader::U32() {
  const std::uint16_t low = U16();
  return std::uint32_t{low} | std::uint32_t{U16()} << 16;
}

void ContinuedReader::Skip(std::size_t count) {
  while (count > 0 && Ensure()) {
    const std::size_t step = std::min(count, piece_.size() - at_);
    at_ += step;
    count -= step;
  }
}

void ContinuedReader::Chars(std::size_t count, bool high_byte, std::u16string& out) {
  while (count > 0) {
    if (at_ >= piece_.size()) {
      if (!NextPiece() || piece_.empty()) {
        failed_ = true;
        return;
      }
      high_byte = (static_cast<std::uint8_t>(piece_[0]) & 1) != 0;
      at_ = 1;
      continue;
    }
    const std::size_t width = high_byte ? 2 : 1;
    const std::size_t here = std::min(count, (piece_.size() - at_) / width);
    if (here == 0) {  // half a character before the piece ends
      at_ = piece_.size();
      continue;
    }
    const std::size_t old = out.size();
    out.resize(old + here);
    const auto* p = reinterpret_cast<const unsigned char*>(piece_.data() + at_);
    if (high_byte) {
      for (std::size_t i = 0; i < here; ++i) {
        out[old + i] = static_cast<char16_t>(p[2 * i] | p[2 * i + 1] << 8);
      }
    } else {
      for (std::size_t i = 0; i < here; ++i) out[old + i] = p[i];
    }
    at_ += here * width;
    count -= here;
  }
}

void ContinuedReader::Bytes(std::size_t count, std::string& out) {
  while (count > 0 && Ensure()) {
    const std::size_t step = std::min(count, piece_.size() - at_);
    out.append(piece_.substr(at_, step));
    at_ += step;
    count -= step;
  }
}

bool ContinuedReader::AtEnd() {
  if (at_ < piece_.size()) return false;
  return !records_.NextIs(kContinueRecord);
}

std::size_t ReadBiff8String(std::string_view body, std::size_t at, int count_bytes,
                            std::u16string& out) {
  if (at + count_bytes + 1 > body.size()) return 0;
  const std::size_t count = count_bytes == 1 ? ReadU8(body, at) : ReadU16(body, at);
  at += count_bytes;
  const std::uint8_t flags = ReadU8(body, at++);
  std::size_t runs = 0, phonetic = 0;
  if (flags & 0x08) {
    runs = ReadU16(body, at);
    at += 2;
  }
  if (flags & 0x04) {
    phonetic = ReadU32(body, at);
    at += 4;
  }
  const std::size_t width = (flags & 0x01) ? 2 : 1;
  if (at > body.size() || count * width > body.size() - at) return 0;
  out.reserve(out.size() + count);
  for (std::size_t i = 0; i < count; ++i) {
    out.push_back(width == 2 ? ReadU16(body, at + 2 * i) : ReadU8(body, at + i));
  }
  at += count * width;
  const std::size_t after = at + 4 * runs + phonetic;
  return after <= body.size() ? after : body.size();
}

}  // namespace brintova::engine::legacy
