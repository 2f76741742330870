// RC4 and CryptoAPI RC4 decryption of a workbook stream (nettle's RC4, MD5 and SHA-1). The
// stream is encrypted in blocks of 1024 bytes, each with a key made from the password hash and
// the block's number; record headers and a few records stay readable but use up key stream.
#include "engine/legacy/biff_decryption.h"

#include <nettle/arcfour.h>
#include <nettle/md5.h>
#include <nettle/sha1.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "engine/legacy/byte_reading.h"
#include "engine/package/read_error.h"

namespace brintova::engine::legacy {

namespace {

using Bytes = std::vector<std::uint8_t>;
using KeyForBlock = std::function<Bytes(std::uint32_t block)>;

constexpr std::size_t kBlockSize = 1024;

Bytes PasswordBytes(std::u16string_view password) {
  Bytes bytes;
  for (char16_t c : password) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return bytes;
}

Bytes Md5(const Bytes& data) {
  md5_ctx ctx;
  md5_init(&ctx);
  md5_update(&ctx, data.size(), data.data());
  Bytes digest(MD5_DIGEST_SIZE);
  md5_digest(&ctx, digest.size(), digest.data());
  return digest;
}

Bytes Sha1(const Bytes& data) {
  sha1_ctx ctx;
  sha1_init(&ctx);
  sha1_update(&ctx, data.size(), data.data());
  Bytes digest(SHA1_DIGEST_SIZE);
  sha1_digest(&ctx, digest.size(), digest.data());
  return digest;
}

void AppendBlock(Bytes& data, std::uint32_t block) {
  for (int i = 0; i < 4; ++i) data.push_back(static_cast<std::uint8_t>(block >> (8 * i)));
}

Bytes Slice(std::string_view body, std::size_t at, std::size_t count) {
  Bytes out(count, 0);
  for (std::size_t i = 0; i < count; ++i) out[i] = ReadU8(body, at + i);
  return out;
}

// The key stream over stream positions that only grow; a new block gets a new key.
class BlockCipher {
 public:
  explicit BlockCipher(KeyForBlock key) : key_(std::move(key)) {}

  void Apply(std::size_t position, std::uint8_t* data, std::size_t count) {
    while (count > 0) {
      const std::size_t block = position / kBlockSize;
      if (!keyed_ || block != block_ || position < cursor_) {
        const Bytes key = key_(static_cast<std::uint32_t>(block));
        arcfour_set_key(&ctx_, key.size(), key.data());
        block_ = block;
        cursor_ = block * kBlockSize;
        keyed_ = true;
      }
      while (cursor_ < position) {  // the key stream of bytes left as they are
        std::array<std::uint8_t, 256> waste{};
        const std::size_t step = std::min(waste.size(), position - cursor_);
        arcfour_crypt(&ctx_, step, waste.data(), waste.data());
        cursor_ += step;
      }
      const std::size_t step = std::min(count, (block + 1) * kBlockSize - position);
      arcfour_crypt(&ctx_, step, data, data);
      data += step;
      position += step;
      cursor_ += step;
      count -= step;
    }
  }

 private:
  KeyForBlock key_;
  arcfour_ctx ctx_{};
  std::size_t block_ = 0;
  std::size_t cursor_ = 0;
  bool keyed_ = false;
};

// Decrypts the verifier and its hash with the key of block 0 and compares.
bool Verifies(const KeyForBlock& key, Bytes verifier, Bytes hash,
              const std::function<Bytes(const Bytes&)>& digest) {
  BlockCipher cipher(key);
  cipher.Apply(0, verifier.data(), verifier.size());
  cipher.Apply(verifier.size(), hash.data(), hash.size());
  const Bytes expected = digest(verifier);
  return hash.size() >= expected.size() &&
         std::equal(expected.begin(), expected.end(), hash.begin());
}

[[noreturn]] void WrongPassword() {
  throw package::ReadError{"This workbook is protected by a password", true};
}

// RC4 with MD5 (version 1.1): 40-bit keys from the password and a 16-byte salt.
KeyForBlock Rc4Key(std::string_view info, std::u16string_view password) {
  const Bytes salt = Slice(info, 4, 16);
  const Bytes h0 = Md5(PasswordBytes(password));
  Bytes repeated;
  for (int i = 0; i < 16; ++i) {
    repeated.insert(repeated.end(), h0.begin(), h0.begin() + 5);
    repeated.insert(repeated.end(), salt.begin(), salt.end());
  }
  const Bytes h1 = Md5(repeated);
  KeyForBlock key = [h1](std::uint32_t block) {
    Bytes data(h1.begin(), h1.begin() + 5);
    AppendBlock(data, block);
    return Md5(data);
  };
  if (!Verifies(key, Slice(info, 20, 16), Slice(info, 36, 16), Md5)) WrongPassword();
  return key;
}

// CryptoAPI RC4 with SHA-1 (versions 2.2, 3.2, 4.2): an encryption header, then the verifier.
KeyForBlock CryptoApiKey(std::string_view info, std::u16string_view password) {
  const std::size_t header_size = ReadU32(info, 8);
  const std::size_t header = 12;
  if (header_size < 32 || header_size > info.size()) {
    throw package::ReadError{"its encryption header is damaged"};
  }
  const std::uint32_t algorithm = ReadU32(info, header + 8);
  const std::uint32_t hash_algorithm = ReadU32(info, header + 12);
  std::uint32_t key_bits = ReadU32(info, header + 16);
  if (key_bits == 0) key_bits = 40;
  if ((algorithm != 0 && algorithm != 0x6801) ||
      (hash_algorithm != 0 && hash_algorithm != 0x8004) || key_bits < 40 || key_bits > 128 ||
      key_bits % 8 != 0) {
    throw package::ReadError{"it is encrypted with a method this reader does not know"};
  }
  const std::size_t verifier = header + header_size;
  const std::size_t salt_size = std::min<std::size_t>(ReadU32(info, verifier), 16);
  Bytes salted = Slice(info, verifier + 4, salt_size);
  const Bytes password_bytes = PasswordBytes(password);
  salted.insert(salted.end(), password_bytes.begin(), password_bytes.end());
  const Bytes h0 = Sha1(salted);
  const Bytes encrypted_verifier = Slice(info, verifier + 20, 16);
  const Bytes encrypted_hash = Slice(info, verifier + 40, 20);
  // A 40-bit key is used as 128 bits whose last 88 are zero; some writers used the five bytes
  // alone, so both are tried.
  for (bool pad : {true, false}) {
    KeyForBlock key = [h0, key_bits, pad](std::uint32_t block) {
      Bytes data = h0;
      AppendBlock(data, block);
      Bytes key = Sha1(data);
      key.resize(key_bits / 8);
      if (key_bits == 40 && pad) key.resize(16, 0);
      return key;
    };
    if (Verifies(key, encrypted_verifier, encrypted_hash, Sha1)) return key;
    if (key_bits != 40) break;
  }
  WrongPassword();
}

// XOR obfuscation stores a 16-bit verifier of the password; the files Excel 5/95 and the
// application's weakest setting write.
void CheckXorPassword(std::string_view info, std::u16string_view password) {
  if (ReadU16(info, 2) != XorPasswordVerifier(password)) WrongPassword();
  throw package::ReadError{
      "it is obfuscated with the default read-only password in the Excel 5/95 way, which this "
      "program does not read; save it in the Excel 97-2003 format or later"};
}

bool LeftInClear(std::uint16_t type) {
  switch (type) {
    case 0x0809:  // BOF
    case 0x002F:  // FILEPASS
    case 0x0194:  // UsrExcl
    case 0x0195:  // FileLock
    case 0x00E1:  // InterfaceHdr
    case 0x0196:  // RRDInfo
    case 0x0138:  // RRDHead
      return true;
    default:
      return false;
  }
}

}  // namespace

std::uint16_t XorPasswordVerifier(std::u16string_view password) {
  // From the last character to the first: fold it in, then rotate the low 15 bits left by one.
  std::uint32_t hash = 0;
  for (auto it = password.rbegin(); it != password.rend(); ++it) {
    hash ^= static_cast<std::uint8_t>(*it);
    hash = ((hash << 1) | (hash >> 14)) & 0x7FFF;
  }
  return static_cast<std::uint16_t>(hash ^ password.size() ^ 0xCE4B);
}

void DecryptWorkbookStream(std::string& stream, std::size_t from, std::string_view filepass,
                           bool biff8, std::u16string_view password) {
  const std::uint16_t method = biff8 ? ReadU16(filepass, 0) : 0;
  if (method == 0)
    CheckXorPassword(filepass.substr(std::min<std::size_t>(biff8 ? 2 : 0, filepass.size())),
                     password);
  if (method != 1)
    throw package::ReadError{"it is encrypted with a method this reader does not know"};
  const std::string_view info = filepass.substr(std::min<std::size_t>(2, filepass.size()));
  const std::uint16_t major = ReadU16(info, 0);
  const std::uint16_t minor = ReadU16(info, 2);
  KeyForBlock key;
  if (major == 1 && minor == 1) {
    key = Rc4Key(info, password);
  } else if (major >= 2 && major <= 4 && minor == 2) {
    key = CryptoApiKey(info, password);
  } else {
    throw package::ReadError{"it is encrypted with a method this reader does not know"};
  }
  BlockCipher cipher(std::move(key));
  auto* bytes = reinterpret_cast<std::uint8_t*>(stream.data());
  std::size_t at = from;
  while (stream.size() - at >= 4 && at >= from) {
    const std::uint16_t type = ReadU16(stream, at);
    const std::size_t length =
        std::min<std::size_t>(ReadU16(stream, at + 2), stream.size() - at - 4);
    std::size_t body = at + 4;
    std::size_t count = length;
    if (type == 0x0085) {  // BOUNDSHEET: the substream's offset stays readable
      const std::size_t clear = std::min<std::size_t>(4, count);
      body += clear;
      count -= clear;
    }
    if (!LeftInClear(type) && count > 0) cipher.Apply(body, bytes + body, count);
    at += 4 + length;
  }
}

}  // namespace brintova::engine::legacy
