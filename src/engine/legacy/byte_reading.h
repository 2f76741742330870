// Little-endian numbers out of a byte buffer. Reading past the end gives zero bits for the
// missing bytes, so a caller checks sizes where a short buffer matters.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace brintova::engine::legacy {

inline std::uint8_t ReadU8(std::string_view bytes, std::size_t at) {
  return at < bytes.size() ? static_cast<std::uint8_t>(bytes[at]) : 0;
}
inline std::uint16_t ReadU16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(ReadU8(bytes, at) | ReadU8(bytes, at + 1) << 8);
}
inline std::uint32_t ReadU32(std::string_view bytes, std::size_t at) {
  return std::uint32_t{ReadU16(bytes, at)} | std::uint32_t{ReadU16(bytes, at + 2)} << 16;
}
inline std::uint64_t ReadU64(std::string_view bytes, std::size_t at) {
  return std::uint64_t{ReadU32(bytes, at)} | std::uint64_t{ReadU32(bytes, at + 4)} << 32;
}
inline double ReadF64(std::string_view bytes, std::size_t at) {
  return std::bit_cast<double>(ReadU64(bytes, at));
}

}  // namespace brintova::engine::legacy
