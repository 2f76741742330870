// Code-page decoding through iconv: the Windows and Mac pages Excel 5/95 names by number.
#include "engine/legacy/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <string>

namespace brintova::engine::legacy {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsMultiByte(std::uint16_t number) {
  return number == 932 || number == 936 || number == 949 || number == 950 || number == 1361;
}

std::string IconvName(std::uint16_t number) {
  switch (number) {
    case 367:    // US-ASCII; the Windows page is its superset
    case 1200:   // UTF-16, which 8-bit text cannot be
    case 32769:  // the Windows page in the numbering of Excel 2-4
      return "CP1252";
    case 1361:
      return "JOHAB";
    case 10000:
    case 32768:
      return "MACINTOSH";
    case 10006:
      return "MAC-GREEK";
    case 10007:
      return "MAC-CYRILLIC";
    case 10029:
      return "MAC-CENTRALEUROPE";
    case 10079:
      return "MAC-IS";
    case 10081:
      return "MAC-TURKISH";
    default:
      return "CP" + std::to_string(number);
  }
}

iconv_t Open(const std::string& name) { return iconv_open("UTF-16LE", name.c_str()); }

bool Valid(iconv_t cd) { return cd != reinterpret_cast<iconv_t>(-1); }

}  // namespace

CodePage::CodePage(std::uint16_t number) : number_(number) {
  std::string name = IconvName(number);
  if (IsMultiByte(number)) {
    iconv_t cd = Open(name);
    if (Valid(cd)) {
      converter_ = cd;
      return;
    }
  }
  iconv_t cd = Open(name);
  if (!Valid(cd)) {
    number_ = 1252;
    cd = Open("CP1252");
  }
  for (int b = 0; b < 256; ++b) {
    table_[b] = b < 0x80 ? char16_t(b) : kReplacement;
    if (b < 0x80 || !Valid(cd)) continue;
    char in = static_cast<char>(b);
    unsigned char out[4] = {};
    char* in_at = &in;
    char* out_at = reinterpret_cast<char*>(out);
    std::size_t in_left = 1, out_left = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in_at, &in_left, &out_at, &out_left) != static_cast<std::size_t>(-1) &&
        out_left == 2) {
      table_[b] = static_cast<char16_t>(out[0] | out[1] << 8);
    }
  }
  if (Valid(cd)) iconv_close(cd);
}

CodePage::~CodePage() {
  if (converter_ != nullptr) iconv_close(static_cast<iconv_t>(converter_));
}

void CodePage::Decode(std::string_view bytes, std::u16string& out) const {
  if (converter_ == nullptr) {
    for (char c : bytes) out.push_back(table_[static_cast<unsigned char>(c)]);
    return;
  }
  auto cd = static_cast<iconv_t>(converter_);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in_at = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  while (in_left > 0) {
    char buffer[512];
    char* out_at = buffer;
    std::size_t out_left = sizeof buffer;
    const std::size_t done = iconv(cd, &in_at, &in_left, &out_at, &out_left);
    for (char* p = buffer; p + 1 < out_at; p += 2) {
      out.push_back(static_cast<char16_t>(static_cast<unsigned char>(p[0]) |
                                          static_cast<unsigned char>(p[1]) << 8));
    }
    if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // An invalid or cut-off sequence: one replacement for its first byte, then go on.
      out.push_back(kReplacement);
      ++in_at;
      --in_left;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
}

}  // namespace brintova::engine::legacy
