// In-memory legacy workbooks for the tests.
#include "biff_builder.h"

#include <bit>
#include <fstream>
#include <sstream>

namespace brintova::engine::legacy::testing {

std::string Le16(std::uint32_t value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}

std::string Le32(std::uint32_t value) { return Le16(value & 0xFFFF) + Le16(value >> 16); }

std::string F64(double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  return Le32(static_cast<std::uint32_t>(bits)) + Le32(static_cast<std::uint32_t>(bits >> 32));
}

std::string Biff8String(std::u16string_view text, int count_bytes) {
  bool wide = false;
  for (char16_t c : text) wide = wide || c > 0xFF;
  std::string out = count_bytes == 1 ? std::string(1, static_cast<char>(text.size()))
                                     : Le16(static_cast<std::uint32_t>(text.size()));
  out.push_back(wide ? 1 : 0);
  for (char16_t c : text) out += wide ? Le16(c) : std::string(1, static_cast<char>(c));
  return out;
}

StreamBuilder& StreamBuilder::Add(std::uint16_t type, std::string_view body) {
  bytes_ += Le16(type) + Le16(static_cast<std::uint32_t>(body.size()));
  bytes_.append(body);
  return *this;
}

StreamBuilder& StreamBuilder::Bof(std::uint16_t kind, bool biff5) {
  std::string body = Le16(biff5 ? 0x0500 : 0x0600) + Le16(kind);
  body += biff5 ? std::string(4, '\0') : std::string(12, '\0');
  return Add(0x0809, body);
}

std::string OneSheetStream(const StreamBuilder& globals, const StreamBuilder& cells,
                           std::u16string_view sheet, bool biff5) {
  StreamBuilder head;
  head.Bof(0x0005, biff5);
  std::string name;
  if (biff5) {
    name.push_back(static_cast<char>(sheet.size()));
    for (char16_t c : sheet) name.push_back(static_cast<char>(c));
  } else {
    name = Biff8String(sheet, 1);
  }
  const std::size_t sheet_at = head.size() + globals.size() + 4 + 6 + name.size() + 4;
  std::string stream = head.bytes() + globals.bytes();
  StreamBuilder tail;
  tail.Add(0x0085, Le32(static_cast<std::uint32_t>(sheet_at)) + std::string(2, '\0') + name);
  tail.Eof();
  tail.Bof(0x0010, biff5);
  stream += tail.bytes() + cells.bytes();
  StreamBuilder end;
  end.Eof();
  return stream + end.bytes();
}

std::string CompoundFileOf(const std::vector<std::pair<std::u16string, std::string>>& streams) {
  constexpr std::uint32_t kSector = 512;
  constexpr std::uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatSector = 0xFFFFFFFD;
  std::vector<std::uint32_t> fat;
  std::string data;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> placed;  // first sector, size
  for (const auto& [name, bytes] : streams) {
    std::string padded = bytes;
    // Streams of 4096 bytes or more live in ordinary sectors, which is all this writer makes.
    if (padded.size() < 4096) padded.resize(4096, '\0');
    padded.resize((padded.size() + kSector - 1) / kSector * kSector, '\0');
    const auto first = static_cast<std::uint32_t>(fat.size());
    const auto count = static_cast<std::uint32_t>(padded.size() / kSector);
    for (std::uint32_t i = 0; i < count; ++i) fat.push_back(i + 1 == count ? kEnd : first + i + 1);
    placed.push_back(
        {first, static_cast<std::uint32_t>(std::max<std::size_t>(bytes.size(), 4096))});
    data += padded;
  }
  // The directory: root, then one entry per stream, each the right sibling of the one before.
  const auto directory_sector = static_cast<std::uint32_t>(fat.size());
  std::string directory;
  auto entry = [&](std::u16string_view name, std::uint8_t type, std::uint32_t right,
                   std::uint32_t child, std::uint32_t start, std::uint32_t size) {
    std::string e(128, '\0');
    for (std::size_t i = 0; i < name.size() && i < 31; ++i) e.replace(2 * i, 2, Le16(name[i]));
    e.replace(64, 2, Le16(static_cast<std::uint32_t>(2 * (name.size() + 1))));
    e[66] = static_cast<char>(type);
    e[67] = 1;
    e.replace(68, 4, Le32(kFree));
    e.replace(72, 4, Le32(right));
    e.replace(76, 4, Le32(child));
    e.replace(116, 4, Le32(start));
    e.replace(120, 4, Le32(size));
    directory += e;
  };
  entry(u"Root Entry", 5, kFree, streams.empty() ? kFree : 1, kEnd, 0);
  for (std::size_t i = 0; i < streams.size(); ++i) {
    const auto right = i + 1 < streams.size() ? static_cast<std::uint32_t>(i + 2) : kFree;
    entry(streams[i].first, 2, right, kFree, placed[i].first, placed[i].second);
  }
  directory.resize((directory.size() + kSector - 1) / kSector * kSector, '\0');
  const auto directory_sectors = static_cast<std::uint32_t>(directory.size() / kSector);
  for (std::uint32_t i = 0; i < directory_sectors; ++i) {
    fat.push_back(i + 1 == directory_sectors ? kEnd : directory_sector + i + 1);
  }
  data += directory;
  // The allocation table's own sectors come last and are marked as such.
  std::uint32_t fat_sectors = 1;
  while ((fat.size() + fat_sectors) > fat_sectors * (kSector / 4)) ++fat_sectors;
  const auto fat_first = static_cast<std::uint32_t>(fat.size());
  for (std::uint32_t i = 0; i < fat_sectors; ++i) fat.push_back(kFatSector);
  fat.resize(fat_sectors * (kSector / 4), kFree);
  for (std::uint32_t v : fat) data += Le32(v);

  std::string header(512, '\0');
  header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  header.replace(24, 2, Le16(0x003E));
  header.replace(26, 2, Le16(3));
  header.replace(28, 2, Le16(0xFFFE));
  header.replace(30, 2, Le16(9));
  header.replace(32, 2, Le16(6));
  header.replace(44, 4, Le32(fat_sectors));
  header.replace(48, 4, Le32(directory_sector));
  header.replace(56, 4, Le32(4096));
  header.replace(60, 4, Le32(kEnd));
  header.replace(68, 4, Le32(kEnd));
  for (std::uint32_t i = 0; i < 109; ++i) {
    header.replace(76 + 4 * i, 4, Le32(i < fat_sectors ? fat_first + i : kFree));
  }
  return header + data;
}

std::string DataFile(const std::string& name) {
  std::ifstream in(std::string(BRINTOVA_TEST_DATA) + "/" + name, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace brintova::engine::legacy::testing
