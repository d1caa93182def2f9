#include "platform/PartitionTable.h"

#include <cstring>
#include <set>

#include "platform/VolumeProbe.h"

namespace tarvosk {

namespace {

// Master boot record.
constexpr std::size_t kMbrEntries = 446;
constexpr std::size_t kMbrEntrySize = 16;
constexpr std::size_t kMbrSignature = 510;
constexpr std::size_t kEntryBootFlag = 0;
constexpr std::size_t kEntryType = 4;
constexpr std::size_t kEntryFirstLba = 8;
constexpr std::size_t kEntrySectorCount = 12;
constexpr std::uint8_t kTypeGptProtective = 0xEE;

// GPT header and entries.
constexpr std::size_t kGptSignature = 0;
constexpr std::size_t kGptHeaderSize = 12;
constexpr std::size_t kGptEntriesLba = 72;
constexpr std::size_t kGptEntryCount = 80;
constexpr std::size_t kGptEntrySize = 84;
constexpr std::size_t kGptEntryType = 0;
constexpr std::size_t kGptEntryFirstLba = 32;
constexpr std::size_t kGptEntryLastLba = 40;
constexpr std::uint32_t kMaxGptEntries = 4096;
constexpr std::uint8_t kBasicDataGuid[16] = {0xA2, 0xA0, 0xD0, 0xEB, 0xE5, 0xB9, 0x33, 0x44,
                                             0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7};

constexpr int kMaxExtendedLinks = 128;

bool isExtendedType(std::uint8_t type) { return type == 0x05 || type == 0x0F || type == 0x85; }

// Keeps an entry if it starts on the disk; cuts it at the disk's end.
void addClipped(std::vector<PartitionEntry>& out, PartitionEntry e, std::uint64_t totalSectors) {
  if (e.sectorCount == 0 || e.firstSector == 0 || e.firstSector >= totalSectors) return;
  if (e.sectorCount > totalSectors - e.firstSector) e.sectorCount = totalSectors - e.firstSector;
  out.push_back(e);
}

bool readGpt(const SectorReader& read, std::uint64_t totalSectors, std::uint32_t sectorSize,
             std::vector<PartitionEntry>& out) {
  std::vector<std::uint8_t> header;
  if (totalSectors < 3 || !read(1, 1, header) || header.size() < 92) return false;
  ByteSpan h(header);
  if (std::memcmp(header.data() + kGptSignature, "EFI PART", 8) != 0) return false;
  std::uint32_t headerSize = le32(h, kGptHeaderSize);
  std::uint64_t entriesLba = le64(h, kGptEntriesLba);
  std::uint32_t count = le32(h, kGptEntryCount);
  std::uint32_t entrySize = le32(h, kGptEntrySize);
  if (headerSize < 92 || entrySize < 128 || entrySize > sectorSize || sectorSize % entrySize != 0) return false;
  if (count > kMaxGptEntries || entriesLba < 2 || entriesLba >= totalSectors) return false;
  std::uint32_t perSector = sectorSize / entrySize;
  std::uint64_t sectors = (count + perSector - 1) / perSector;
  if (sectors > totalSectors - entriesLba) return false;
  std::vector<std::uint8_t> entries;
  if (sectors > 0 && !read(entriesLba, static_cast<std::uint32_t>(sectors), entries)) return false;
  ByteSpan all(entries);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::size_t off = static_cast<std::size_t>(i) * entrySize;
    if (!fitsIn(all.size(), off, 128)) break;
    ByteSpan e = all.subspan(off, 128);
    static constexpr std::uint8_t kUnused[16] = {};
    if (std::memcmp(e.data() + kGptEntryType, kUnused, 16) == 0) continue;
    std::uint64_t first = le64(e, kGptEntryFirstLba);
    std::uint64_t last = le64(e, kGptEntryLastLba);
    if (last < first) continue;
    PartitionEntry p;
    p.number = i + 1;
    p.firstSector = first;
    p.sectorCount = last - first + 1;
    p.basicData = std::memcmp(e.data() + kGptEntryType, kBasicDataGuid, 16) == 0;
    addClipped(out, p, totalSectors);
  }
  return true;
}

void readExtendedChain(const SectorReader& read, std::uint64_t extendedStart, std::uint64_t totalSectors,
                       std::vector<PartitionEntry>& out) {
  std::set<std::uint64_t> visited;
  std::uint64_t ebr = extendedStart;
  std::uint32_t number = 5;
  for (int link = 0; link < kMaxExtendedLinks; ++link) {
    if (ebr >= totalSectors || !visited.insert(ebr).second) return;
    std::vector<std::uint8_t> sector;
    if (!read(ebr, 1, sector)) return;
    std::vector<PartitionEntry> entries = parseMbrEntries(sector);
    if (entries.size() < 2) return;
    PartitionEntry logical = entries[0];
    if (logical.mbrType != 0 && !isExtendedType(logical.mbrType)) {
      logical.firstSector += ebr;
      logical.number = number++;
      addClipped(out, logical, totalSectors);
    }
    const PartitionEntry& next = entries[1];
    if (!isExtendedType(next.mbrType) || next.firstSector == 0) return;
    ebr = extendedStart + next.firstSector;
  }
}

// A partition typed as extended whose first sector is a FAT or NTFS boot sector, not an extended
// boot record, is a volume with the wrong type byte: it keeps its type and gets a letter, so a
// scan can say that the type is not recognised.
bool holdsFileSystem(const SectorReader& read, std::uint64_t firstSector) {
  std::vector<std::uint8_t> sector;
  return read(firstSector, 1, sector) && probeFileSystem(sector) != FileSystemKind::None;
}

}  // namespace

std::vector<PartitionEntry> parseMbrEntries(ByteSpan s) {
  std::vector<PartitionEntry> out;
  if (s.size() < 512 || le16(s, kMbrSignature) != 0xAA55) return out;
  for (std::uint32_t i = 0; i < 4; ++i) {
    std::size_t e = kMbrEntries + i * kMbrEntrySize;
    PartitionEntry p;
    p.number = i + 1;
    p.mbrType = le8(s, e + kEntryType);
    p.firstSector = le32(s, e + kEntryFirstLba);
    p.sectorCount = le32(s, e + kEntrySectorCount);
    out.push_back(p);
  }
  return out;
}

PartitionTable readPartitionTable(const SectorReader& read, std::uint64_t totalSectors, std::uint32_t sectorSize) {
  PartitionTable table;
  std::vector<std::uint8_t> first;
  if (totalSectors == 0 || !read(0, 1, first)) return table;
  if (probeFileSystem(first) != FileSystemKind::None) return table;  // a bare volume

  std::vector<PartitionEntry> gpt;
  if (readGpt(read, totalSectors, sectorSize, gpt)) {
    table.kind = PartitionTableKind::Gpt;
    table.partitions = std::move(gpt);
    return table;
  }

  std::vector<PartitionEntry> primaries = parseMbrEntries(first);
  if (primaries.empty()) return table;
  ByteSpan s(first);
  for (std::uint32_t i = 0; i < 4; ++i) {
    std::uint8_t flag = le8(s, kMbrEntries + i * kMbrEntrySize + kEntryBootFlag);
    if (flag != 0x00 && flag != 0x80) return table;  // not a partition table, just bytes
  }
  std::vector<PartitionEntry> found;
  for (const PartitionEntry& p : primaries) {
    if (p.mbrType == 0 || p.mbrType == kTypeGptProtective) continue;
    if (isExtendedType(p.mbrType) && !holdsFileSystem(read, p.firstSector)) {
      readExtendedChain(read, p.firstSector, totalSectors, found);
    } else {
      addClipped(found, p, totalSectors);
    }
  }
  bool anyEntry = false;
  for (const PartitionEntry& p : primaries) anyEntry = anyEntry || p.mbrType != 0;
  if (!anyEntry) return table;
  table.kind = PartitionTableKind::Mbr;
  table.partitions = std::move(found);
  return table;
}

}  // namespace tarvosk
