// Compound-file reading: the allocation tables are sized by the file, never by its counts, so a
// header that lies about them cannot make the reader allocate more than the file justifies.
#include "engine/legacy/compound_file.h"

#include <algorithm>
#include <cstring>

#include "engine/legacy/byte_reading.h"
#include "engine/package/read_error.h"

namespace brintova::engine::legacy {

namespace {

constexpr std::string_view kSignature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kEntrySize = 128;
constexpr std::uint32_t kNoEntry = 0xFFFFFFFFu;

[[noreturn]] void Damaged(const std::string& what) {
  throw package::ReadError{"the file is damaged (" + what + ")"};
}

struct RawEntry {
  CompoundEntry entry;
  std::uint32_t left = kNoEntry;
  std::uint32_t right = kNoEntry;
  std::uint32_t child = kNoEntry;
};

}  // namespace

bool CompoundFile::HasSignature(std::string_view bytes) { return bytes.starts_with(kSignature); }

CompoundFile::CompoundFile(std::string_view bytes) : bytes_(bytes) {
  if (!HasSignature(bytes)) {
    throw package::ReadError{"it is not an Excel 97-2003 workbook", false, true};
  }
  if (bytes.size() < kHeaderSize) Damaged("it ends inside its header");
  sector_shift_ = ReadU16(bytes, 30);
  mini_shift_ = ReadU16(bytes, 32);
  if (sector_shift_ != 9 && sector_shift_ != 12) Damaged("its sector size is not valid");
  if (mini_shift_ == 0 || mini_shift_ >= sector_shift_)
    Damaged("its mini sector size is not valid");
  mini_cutoff_ = ReadU32(bytes, 56);
  const std::size_t sector_size = std::size_t{1} << sector_shift_;
  sector_count_ = bytes.size() > sector_size ? (bytes.size() - 1) / sector_size : 0;
  ReadTables();
  ReadDirectory();
}

std::string_view CompoundFile::Sector(std::uint32_t index) const {
  const std::size_t sector_size = std::size_t{1} << sector_shift_;
  const std::size_t offset = (static_cast<std::size_t>(index) + 1) * sector_size;
  if (index >= sector_count_ || offset >= bytes_.size()) return {};
  return bytes_.substr(offset, sector_size);
}

void CompoundFile::ReadTables() {
  const std::size_t per_sector = (std::size_t{1} << sector_shift_) / 4;
  // The sectors holding the allocation table: 109 in the header, the rest in a chain of DIFAT
  // sectors. No file needs more table sectors than it has sectors, so the list stops there.
  std::vector<std::uint32_t> fat_sectors;
  auto take = [&](std::uint32_t sector) {
    if (sector < sector_count_ && fat_sectors.size() < sector_count_) fat_sectors.push_back(sector);
  };
  for (std::size_t i = 0; i < 109; ++i) take(ReadU32(bytes_, 76 + 4 * i));
  std::uint32_t difat = ReadU32(bytes_, 68);
  for (std::size_t steps = 0; difat < sector_count_; ++steps) {
    if (steps > sector_count_) Damaged("its table of allocation sectors loops");
    const std::string_view sector = Sector(difat);
    if (sector.size() < per_sector * 4) break;
    for (std::size_t i = 0; i + 1 < per_sector; ++i) take(ReadU32(sector, 4 * i));
    difat = ReadU32(sector, 4 * (per_sector - 1));
  }
  // Only entries for sectors that exist matter.
  fat_.reserve(std::min(fat_sectors.size() * per_sector, sector_count_));
  for (std::uint32_t s : fat_sectors) {
    const std::string_view sector = Sector(s);
    for (std::size_t i = 0; i + 4 <= sector.size() && fat_.size() < sector_count_; i += 4) {
      fat_.push_back(ReadU32(sector, i));
    }
  }
  const std::size_t sector_size = std::size_t{1} << sector_shift_;
  for (std::uint32_t s : Chain(fat_, ReadU32(bytes_, 60), bytes_.size())) {
    const std::string_view sector = Sector(s);
    for (std::size_t i = 0; i + 4 <= sector.size() && i < sector_size; i += 4) {
      mini_fat_.push_back(ReadU32(sector, i));
    }
  }
}

std::vector<std::uint32_t> CompoundFile::Chain(const std::vector<std::uint32_t>& table,
                                               std::uint32_t start, std::size_t limit) const {
  std::vector<std::uint32_t> chain;
  std::uint32_t at = start;
  while (at < table.size() && chain.size() < limit) {
    if (chain.size() >= table.size()) Damaged("a chain of sectors loops");
    chain.push_back(at);
    at = table[at];
  }
  // A chain that ends early, or points past the table, gives the sectors it reached.
  return chain;
}

void CompoundFile::ReadDirectory() {
  std::vector<RawEntry> entries;
  for (std::uint32_t s : Chain(fat_, ReadU32(bytes_, 48), bytes_.size())) {
    const std::string_view sector = Sector(s);
    for (std::size_t at = 0; at + kEntrySize <= sector.size(); at += kEntrySize) {
      const std::string_view raw = sector.substr(at, kEntrySize);
      RawEntry e;
      const std::size_t name_bytes = std::min<std::size_t>(ReadU16(raw, 64), 64);
      for (std::size_t i = 0; i + 1 < name_bytes; i += 2) {
        const char16_t c = ReadU16(raw, i);
        if (c == 0) break;
        e.entry.name.push_back(c);
      }
      e.entry.type = static_cast<std::uint8_t>(raw[66]);
      e.left = ReadU32(raw, 68);
      e.right = ReadU32(raw, 72);
      e.child = ReadU32(raw, 76);
      e.entry.start = ReadU32(raw, 116);
      e.entry.size = ReadU32(raw, 120);
      // Version 4 files give the size 64 bits; version 3 ones may leave garbage in the top half.
      if (sector_shift_ == 12) e.entry.size |= std::uint64_t{ReadU32(raw, 124)} << 32;
      entries.push_back(std::move(e));
    }
  }
  if (entries.empty() || entries[0].entry.type != 5) Damaged("it has no root directory entry");
  const CompoundEntry& root = entries[0].entry;
  const std::size_t sector_size = std::size_t{1} << sector_shift_;
  const std::size_t mini_limit =
      static_cast<std::size_t>(std::min<std::uint64_t>(root.size, bytes_.size()));
  for (std::uint32_t s : Chain(fat_, root.start, (mini_limit + sector_size - 1) / sector_size)) {
    mini_stream_.append(Sector(s));
  }
  if (mini_stream_.size() > mini_limit) mini_stream_.resize(mini_limit);

  // The root's children form a tree through their left and right siblings.
  std::vector<bool> seen(entries.size(), false);
  std::vector<std::uint32_t> pending{entries[0].child};
  while (!pending.empty()) {
    const std::uint32_t at = pending.back();
    pending.pop_back();
    if (at >= entries.size() || seen[at]) continue;
    seen[at] = true;
    const RawEntry& e = entries[at];
    if (e.entry.type == 1 || e.entry.type == 2) top_level_.push_back(e.entry);
    pending.push_back(e.left);
    pending.push_back(e.right);
  }
}

const CompoundEntry* CompoundFile::FindStream(std::u16string_view name) const {
  auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
  for (const CompoundEntry& e : top_level_) {
    if (e.type != 2 || e.name.size() != name.size()) continue;
    if (std::equal(name.begin(), name.end(), e.name.begin(),
                   [&](char16_t a, char16_t b) { return lower(a) == lower(b); })) {
      return &e;
    }
  }
  return nullptr;
}

std::string_view CompoundFile::ReadStream(const CompoundEntry& entry, std::string& storage) const {
  storage.clear();
  const std::size_t wanted =
      static_cast<std::size_t>(std::min<std::uint64_t>(entry.size, bytes_.size()));
  if (entry.size < mini_cutoff_) {
    const std::size_t mini_size = std::size_t{1} << mini_shift_;
    const auto table_limit = (wanted + mini_size - 1) / mini_size;
    for (std::uint32_t s : Chain(mini_fat_, entry.start, table_limit)) {
      const std::size_t offset = static_cast<std::size_t>(s) * mini_size;
      if (offset >= mini_stream_.size()) break;
      storage.append(std::string_view(mini_stream_).substr(offset, mini_size));
    }
    if (storage.size() > wanted) storage.resize(wanted);
    return storage;
  }
  const std::size_t sector_size = std::size_t{1} << sector_shift_;
  const std::vector<std::uint32_t> chain =
      Chain(fat_, entry.start, (wanted + sector_size - 1) / sector_size);
  bool contiguous = true;
  for (std::size_t i = 1; i < chain.size() && contiguous; ++i) {
    contiguous = chain[i] == chain[i - 1] + 1;
  }
  if (contiguous && !chain.empty()) {
    const std::size_t offset = (static_cast<std::size_t>(chain[0]) + 1) * sector_size;
    return bytes_.substr(offset, std::min(wanted, bytes_.size() - offset));
  }
  storage.reserve(std::min(wanted, chain.size() * sector_size));
  for (std::uint32_t s : chain) storage.append(Sector(s));
  if (storage.size() > wanted) storage.resize(wanted);
  return storage;
}

}  // namespace brintova::engine::legacy
