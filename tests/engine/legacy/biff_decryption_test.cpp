// Workbooks saved with a password to open, built here with an encryptor written from the
// published description of the methods: the default read-only password opens them, any other
// password gives the password message, and nothing else does.
#include "engine/legacy/biff_decryption.h"

#include <gtest/gtest.h>
#include <nettle/arcfour.h>
#include <nettle/md5.h>
#include <nettle/sha1.h>

#include <functional>
#include <string>
#include <vector>

#include "biff_builder.h"
#include "engine/legacy/legacy_workbook_reader.h"
#include "platform/text.h"

namespace brintova::engine::legacy {
namespace {

using namespace testing;  // NOLINT: the builder's helpers
using Bytes = std::string;

Bytes Md5(const Bytes& data) {
  md5_ctx ctx;
  md5_init(&ctx);
  md5_update(&ctx, data.size(), reinterpret_cast<const std::uint8_t*>(data.data()));
  Bytes out(MD5_DIGEST_SIZE, '\0');
  md5_digest(&ctx, out.size(), reinterpret_cast<std::uint8_t*>(out.data()));
  return out;
}

Bytes Sha1(const Bytes& data) {
  sha1_ctx ctx;
  sha1_init(&ctx);
  sha1_update(&ctx, data.size(), reinterpret_cast<const std::uint8_t*>(data.data()));
  Bytes out(SHA1_DIGEST_SIZE, '\0');
  sha1_digest(&ctx, out.size(), reinterpret_cast<std::uint8_t*>(out.data()));
  return out;
}

Bytes Utf16(std::u16string_view text) {
  Bytes out;
  for (char16_t c : text) out += Le16(c);
  return out;
}

// RC4 over a whole buffer with one key.
Bytes Rc4(const Bytes& key, Bytes data) {
  arcfour_ctx ctx;
  arcfour_set_key(&ctx, key.size(), reinterpret_cast<const std::uint8_t*>(key.data()));
  arcfour_crypt(&ctx, data.size(), reinterpret_cast<std::uint8_t*>(data.data()),
                reinterpret_cast<const std::uint8_t*>(data.data()));
  return data;
}

struct Method {
  const char* name;
  std::function<Bytes(std::uint32_t block)> key;
  Bytes filepass;
};

const Bytes kSalt = "0123456789abcdef";
const Bytes kVerifier = "verifier-bytes!!";

// Standard RC4 (version 1.1) for `password`.
Method Rc4Method(std::u16string_view password) {
  const Bytes h0 = Md5(Utf16(password));
  Bytes repeated;
  for (int i = 0; i < 16; ++i) repeated += h0.substr(0, 5) + kSalt;
  const Bytes h1 = Md5(repeated);
  auto key = [h1](std::uint32_t block) { return Md5(h1.substr(0, 5) + Le32(block)); };
  const Bytes sealed = Rc4(key(0), kVerifier + Md5(kVerifier));
  return {"RC4", key, Le16(1) + Le16(1) + Le16(1) + kSalt + sealed};
}

// CryptoAPI RC4 with SHA-1 and a key of `bits`.
Method CryptoApiMethod(std::u16string_view password, std::uint32_t bits) {
  const Bytes h0 = Sha1(kSalt + Utf16(password));
  auto key = [h0, bits](std::uint32_t block) {
    Bytes k = Sha1(h0 + Le32(block)).substr(0, bits / 8);
    if (bits == 40) k.resize(16, '\0');
    return k;
  };
  const Bytes header = Le32(0x04) + Le32(0) + Le32(0x6801) + Le32(0x8004) + Le32(bits) + Le32(1) +
                       Le32(0) + Le32(0) +
                       Utf16(u"Microsoft Enhanced Cryptographic Provider v1.0") + Le16(0);
  const Bytes sealed = Rc4(key(0), kVerifier + Sha1(kVerifier));
  const Bytes filepass = Le16(1) + Le16(4) + Le16(2) + Le32(0x04) +
                         Le32(static_cast<std::uint32_t>(header.size())) + header + Le32(16) +
                         kSalt + sealed.substr(0, 16) + Le32(20) + sealed.substr(16);
  return {"CryptoAPI", key, filepass};
}

// Encrypts every record after FILEPASS as the application does: the key changes every 1024
// bytes of the stream, headers and a few records stay clear but use up key stream, and a
// BOUNDSHEET keeps its first four bytes clear.
Bytes Encrypt(Bytes stream, const Method& method) {
  const std::size_t filepass = stream.find(Le16(0x002F));
  std::size_t at = filepass + 4 + static_cast<unsigned char>(stream[filepass + 2]) +
                   256 * static_cast<unsigned char>(stream[filepass + 3]);
  std::vector<Bytes> blocks;
  auto key_stream_at = [&](std::size_t position) {
    const std::size_t block = position / 1024;
    while (blocks.size() <= block) {
      blocks.push_back(
          Rc4(method.key(static_cast<std::uint32_t>(blocks.size())), Bytes(1024, '\0')));
    }
    return static_cast<char>(blocks[block][position % 1024]);
  };
  while (at + 4 <= stream.size()) {
    const std::uint16_t type =
        static_cast<unsigned char>(stream[at]) | static_cast<unsigned char>(stream[at + 1]) << 8;
    const std::size_t length = static_cast<unsigned char>(stream[at + 2]) |
                               static_cast<unsigned char>(stream[at + 3]) << 8;
    const std::size_t clear = type == 0x0809 ? length : type == 0x0085 ? 4 : 0;
    for (std::size_t i = clear; i < length; ++i) stream[at + 4 + i] ^= key_stream_at(at + 4 + i);
    at += 4 + length;
  }
  return stream;
}

// A workbook with 300 numbers and a few strings, so its stream runs over several key blocks.
Bytes PlainStream(const Bytes& filepass) {
  StreamBuilder globals;
  if (!filepass.empty()) globals.Add(0x002F, filepass);
  globals.Add(0x00E0, Le16(0) + Le16(0) + std::string(16, '\0'));
  globals.Add(0x00FC, Le32(2) + Le32(2) + Biff8String(u"secret text") + Biff8String(u"Ω"));
  StreamBuilder cells;
  for (std::uint16_t r = 0; r < 300; ++r) {
    cells.Add(0x0203, Le16(r) + Le16(0) + Le16(0) + F64(r * 1.5));
  }
  cells.Add(0x00FD, Le16(0) + Le16(1) + Le16(0) + Le32(0));
  cells.Add(0x00FD, Le16(299) + Le16(1) + Le16(0) + Le32(1));
  return OneSheetStream(globals, cells);
}

std::vector<std::string> Texts(const model::Workbook& book) {
  std::vector<std::string> texts;
  std::u16string text;
  const model::Sheet& sheet = book.sheet(0);
  for (const auto& [row, cells] : sheet.rows()) {
    for (const model::Cell& cell : cells) {
      model::DisplayedText(book, sheet, &cell, text);
      texts.push_back(model::CellReference(row, cell.column) + "=" + ToUtf8(text));
    }
  }
  return texts;
}

TEST(BiffDecryption, DefaultPasswordOpensEveryRc4Method) {
  const auto plain = ReadLegacyBuffer(CompoundFileOf({{u"Workbook", PlainStream({})}}));
  ASSERT_TRUE(plain.ok()) << plain.error.description;
  const std::vector<std::string> expected = Texts(*plain.workbook);
  ASSERT_EQ(expected.size(), 302u);
  for (const Method& method : {Rc4Method(kDefaultPassword), CryptoApiMethod(kDefaultPassword, 128),
                               CryptoApiMethod(kDefaultPassword, 40)}) {
    const Bytes stream = Encrypt(PlainStream(method.filepass), method);
    ASSERT_NE(stream, PlainStream(method.filepass));
    const auto result = ReadLegacyBuffer(CompoundFileOf({{u"Workbook", stream}}));
    ASSERT_TRUE(result.ok()) << method.name << ": " << result.error.description;
    EXPECT_EQ(Texts(*result.workbook), expected) << method.name;
  }
}

TEST(BiffDecryption, OnlyAnotherPasswordGivesThePasswordMessage) {
  for (const Method& method : {Rc4Method(u"secret"), CryptoApiMethod(u"secret", 128)}) {
    const Bytes stream = Encrypt(PlainStream(method.filepass), method);
    const auto result = ReadLegacyBuffer(CompoundFileOf({{u"Workbook", stream}}));
    ASSERT_FALSE(result.ok()) << method.name;
    EXPECT_TRUE(result.error.encrypted) << method.name;
    EXPECT_EQ(result.error.description, "This workbook is protected by a password") << method.name;
  }
  // An unknown method is not a password: it says what it is.
  const auto odd =
      ReadLegacyBuffer(CompoundFileOf({{u"Workbook", PlainStream(Le16(1) + Le16(9) + Le16(9))}}));
  ASSERT_FALSE(odd.ok());
  EXPECT_FALSE(odd.error.encrypted);
  EXPECT_EQ(odd.error.description, "it is encrypted with a method this reader does not know");
}

TEST(BiffDecryption, XorObfuscationTellsARealPasswordFromTheDefaultOne) {
  EXPECT_EQ(XorPasswordVerifier(u"abcdefghij"), 0xFEF1);  // the published example
  const auto xor_with = [](std::u16string_view password) {
    return ReadLegacyBuffer(CompoundFileOf(
        {{u"Workbook",
          PlainStream(Le16(0) + Le16(0x1234) + Le16(XorPasswordVerifier(password)))}}));
  };
  const auto real = xor_with(u"secret");
  EXPECT_TRUE(real.error.encrypted);
  const auto default_password = xor_with(kDefaultPassword);
  ASSERT_FALSE(default_password.ok());
  EXPECT_FALSE(default_password.error.encrypted);
  EXPECT_NE(default_password.error.description.find("default read-only password"),
            std::string::npos);
}

}  // namespace
}  // namespace brintova::engine::legacy
