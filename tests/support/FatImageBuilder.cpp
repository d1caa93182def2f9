#include "support/FatImageBuilder.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "platform/ByteOrder.h"

namespace tarvosk::test {

FatImageBuilder::FatImageBuilder(const FatImageLayout& layout) : layout_(layout), boot_(layout.bytesPerSector, 0) {
  reserved_ = layout.fatBits == 32 ? std::max<std::uint32_t>(layout.reservedSectors, 1) : layout.reservedSectors;
  const std::uint64_t entries = std::uint64_t{layout.clusterCount} + 2;
  const std::uint64_t fatBytes =
      layout.fatBits == 12 ? (entries * 3 + 1) / 2 : entries * static_cast<std::uint64_t>(layout.fatBits / 8);
  // One spare sector, so that the two-sector FAT cache never reads into the data area's edge.
  sectorsPerFat_ = static_cast<std::uint32_t>((fatBytes + layout.bytesPerSector - 1) / layout.bytesPerSector + 1);
  const std::uint32_t rootSectors = (layout.rootEntryCount * 32 + layout.bytesPerSector - 1) / layout.bytesPerSector;
  firstDataSector_ = reserved_ + std::uint64_t{layout.numberOfFats} * sectorsPerFat_ + rootSectors;
  totalSectors_ = firstDataSector_ + std::uint64_t{layout.clusterCount} * layout.sectorsPerCluster;
  fat_.assign(static_cast<std::size_t>(sectorsPerFat_) * layout.bytesPerSector, 0);

  std::uint8_t* b = boot_.data();
  b[0] = 0xEB;
  b[1] = 0x3C;
  b[2] = 0x90;
  std::copy_n("HANDMADE", 8, b + 3);
  putLe16(b + 11, static_cast<std::uint16_t>(layout.bytesPerSector));
  b[13] = static_cast<std::uint8_t>(layout.sectorsPerCluster);
  putLe16(b + 14, static_cast<std::uint16_t>(reserved_));
  b[16] = static_cast<std::uint8_t>(layout.numberOfFats);
  putLe16(b + 17, static_cast<std::uint16_t>(layout.rootEntryCount));
  b[21] = 0xF8;
  if (layout.fatBits == 32) {
    putLe32(b + 32, static_cast<std::uint32_t>(totalSectors_));
    putLe32(b + 36, sectorsPerFat_);
    putLe32(b + 44, layout.rootCluster);
  } else {
    if (totalSectors_ < 65536) putLe16(b + 19, static_cast<std::uint16_t>(totalSectors_));
    else putLe32(b + 32, static_cast<std::uint32_t>(totalSectors_));
    putLe16(b + 22, static_cast<std::uint16_t>(sectorsPerFat_));
  }
  b[510] = 0x55;
  b[511] = 0xAA;
  // Entries 0 and 1: the media byte and the end-of-chain mark, as formatters write them.
  setEntry(0, layout.fatBits == 12 ? 0xFF8 : layout.fatBits == 16 ? 0xFFF8 : 0x0FFFFFF8);
  setEntry(1, layout.fatBits == 12 ? 0xFFF : layout.fatBits == 16 ? 0xFFFF : 0x0FFFFFFF);
}

void FatImageBuilder::setEntry(std::uint64_t cluster, std::uint32_t value) {
  if (layout_.fatBits == 12) {
    std::size_t off = static_cast<std::size_t>(cluster + cluster / 2);
    std::uint16_t word = static_cast<std::uint16_t>(fat_[off] | (fat_[off + 1] << 8));
    if (cluster & 1) word = static_cast<std::uint16_t>((word & 0x000F) | ((value & 0xFFF) << 4));
    else word = static_cast<std::uint16_t>((word & 0xF000) | (value & 0xFFF));
    putLe16(&fat_[off], word);
  } else if (layout_.fatBits == 16) {
    putLe16(&fat_[static_cast<std::size_t>(cluster * 2)], static_cast<std::uint16_t>(value));
  } else {
    putLe32(&fat_[static_cast<std::size_t>(cluster * 4)], value);
  }
}

void FatImageBuilder::setChain(std::uint64_t first, std::uint64_t count, std::uint32_t endValue) {
  for (std::uint64_t i = 0; i + 1 < count; ++i) setEntry(first + i, static_cast<std::uint32_t>(first + i + 1));
  setEntry(first + count - 1, endValue);
}

void FatImageBuilder::put(std::uint64_t offset, const std::vector<std::uint8_t>& bytes) {
  pieces_.emplace_back(offset, bytes);
}

void FatImageBuilder::putCluster(std::uint64_t cluster, const std::vector<std::uint8_t>& bytes) {
  put((firstDataSector_ + (cluster - 2) * layout_.sectorsPerCluster) * layout_.bytesPerSector, bytes);
}

void FatImageBuilder::putRootDirectory(const std::vector<std::uint8_t>& bytes) {
  put(rootDirSector() * layout_.bytesPerSector, bytes);
}

void FatImageBuilder::write(const std::string& path) const {
  int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
  if (fd < 0) throw std::runtime_error("cannot create " + path);
  auto pwriteAll = [&](const std::vector<std::uint8_t>& bytes, std::uint64_t offset) {
    if (::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)) != static_cast<ssize_t>(bytes.size()))
      throw std::runtime_error("cannot write " + path);
  };
  const std::uint64_t base = layout_.partitionStartSector * 512;
  if (::ftruncate(fd, static_cast<off_t>(base + totalSectors_ * layout_.bytesPerSector)) != 0)
    throw std::runtime_error("cannot size " + path);
  if (layout_.partitionStartSector) {
    std::vector<std::uint8_t> mbr(512, 0);
    std::uint8_t* entry = &mbr[446];
    entry[4] = layout_.fatBits == 32 ? 0x0C : layout_.fatBits == 16 ? 0x06 : 0x01;
    putLe32(entry + 8, static_cast<std::uint32_t>(layout_.partitionStartSector));
    putLe32(entry + 12, static_cast<std::uint32_t>(totalSectors_ * layout_.bytesPerSector / 512));
    mbr[510] = 0x55;
    mbr[511] = 0xAA;
    pwriteAll(mbr, 0);
  }
  pwriteAll(boot_, base);
  for (std::uint32_t f = 0; f < layout_.numberOfFats; ++f)
    pwriteAll(fat_, base + (reserved_ + std::uint64_t{f} * sectorsPerFat_) * layout_.bytesPerSector);
  for (const auto& [offset, bytes] : pieces_) pwriteAll(bytes, base + offset);
  ::close(fd);
}

std::vector<std::uint8_t> shortEntry(const std::string& name11, std::uint8_t attributes, std::uint32_t startCluster,
                                     std::uint32_t size) {
  std::vector<std::uint8_t> e(32, 0);
  for (std::size_t i = 0; i < 11; ++i) e[i] = i < name11.size() ? static_cast<std::uint8_t>(name11[i]) : ' ';
  e[11] = attributes;
  putLe16(&e[20], static_cast<std::uint16_t>(startCluster >> 16));
  putLe16(&e[22], 0x6000);  // 12:00:00
  putLe16(&e[24], 0x5A21);  // 2025-01-01
  putLe16(&e[26], static_cast<std::uint16_t>(startCluster));
  putLe32(&e[28], size);
  return e;
}

std::vector<std::uint8_t> longNameFragment(std::uint8_t sequence, const std::u16string& chars) {
  std::vector<std::uint8_t> e(32, 0);
  e[0] = sequence;
  e[11] = 0x0F;
  static constexpr std::size_t kPlaces[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
  for (std::size_t i = 0; i < 13; ++i) {
    char16_t c = i < chars.size() ? chars[i] : (i == chars.size() ? u'\0' : char16_t{0xFFFF});
    putLe16(&e[kPlaces[i]], c);
  }
  return e;
}

std::vector<std::uint8_t> dotEntries(std::uint32_t self, std::uint32_t parent) {
  return concat({shortEntry(".", 0x10, self, 0), shortEntry("..", 0x10, parent, 0)});
}

std::vector<std::uint8_t> concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

}  // namespace tarvosk::test
