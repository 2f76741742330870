// 8-bit text of Excel 5/95 workbooks in the code page their CODEPAGE record names, decoded to
// UTF-16 through the C library's converters (iconv). Single-byte pages become a 256-entry table
// once; multi-byte Asian pages are converted string by string.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace brintova::engine::legacy {

class CodePage {
 public:
  // Windows-1252 until a CODEPAGE record says otherwise. A page the system cannot convert
  // reads as Windows-1252 too.
  explicit CodePage(std::uint16_t number = 1252);
  ~CodePage();
  CodePage(const CodePage&) = delete;
  CodePage& operator=(const CodePage&) = delete;

  std::uint16_t number() const { return number_; }
  // Appends the text of `bytes`; a byte sequence that is not text in the page becomes U+FFFD.
  void Decode(std::string_view bytes, std::u16string& out) const;

 private:
  std::uint16_t number_;
  std::array<char16_t, 256> table_{};
  void* converter_ = nullptr;  // iconv_t for a multi-byte page, else null
};

}  // namespace brintova::engine::legacy
