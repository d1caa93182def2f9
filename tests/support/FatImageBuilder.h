// Hand-built FAT volume images, for what no tool makes: exact cluster counts, loops, chains of
// 100,000 clusters, hostile directory records. The image is a sparse file; only the boot
// sector, the FAT entries and the clusters that are set hold bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvosk::test {

struct FatImageLayout {
  int fatBits = 16;                       // 12, 16 or 32: how FAT entries are written
  std::uint32_t bytesPerSector = 512;
  std::uint32_t sectorsPerCluster = 1;
  std::uint32_t reservedSectors = 1;
  std::uint32_t numberOfFats = 1;
  std::uint32_t rootEntryCount = 512;     // 0 for FAT32
  std::uint32_t clusterCount = 5000;      // the volume gets exactly this many data clusters
  std::uint32_t rootCluster = 2;          // FAT32
  // When nonzero, the image is a disk with an MBR whose one FAT partition starts here.
  std::uint64_t partitionStartSector = 0;
};

class FatImageBuilder {
 public:
  explicit FatImageBuilder(const FatImageLayout& layout);

  std::uint32_t sectorsPerFat() const { return sectorsPerFat_; }
  std::uint64_t totalSectors() const { return totalSectors_; }
  std::uint64_t firstDataSector() const { return firstDataSector_; }
  std::uint64_t rootDirSector() const { return reserved_ + std::uint64_t{layout_.numberOfFats} * sectorsPerFat_; }
  std::uint32_t clusterBytes() const { return layout_.bytesPerSector * layout_.sectorsPerCluster; }

  // Boot sector bytes that can be spoilt before writing.
  std::vector<std::uint8_t>& bootSector() { return boot_; }
  // Sets a cluster's FAT entry (the raw value, written with the layout's entry width).
  void setEntry(std::uint64_t cluster, std::uint32_t value);
  // Links clusters first, first+1, ..., first+count-1 and ends the chain with endValue.
  void setChain(std::uint64_t first, std::uint64_t count, std::uint32_t endValue);
  // Writes bytes at a byte offset of the volume.
  void put(std::uint64_t offset, const std::vector<std::uint8_t>& bytes);
  void putCluster(std::uint64_t cluster, const std::vector<std::uint8_t>& bytes);
  void putRootDirectory(const std::vector<std::uint8_t>& bytes);

  void write(const std::string& path) const;

 private:
  FatImageLayout layout_;
  std::uint32_t reserved_;
  std::uint32_t sectorsPerFat_;
  std::uint64_t totalSectors_;
  std::uint64_t firstDataSector_;
  std::vector<std::uint8_t> boot_;
  std::vector<std::uint8_t> fat_;
  std::vector<std::pair<std::uint64_t, std::vector<std::uint8_t>>> pieces_;
};

// A 32-byte short directory entry.
std::vector<std::uint8_t> shortEntry(const std::string& name11, std::uint8_t attributes, std::uint32_t startCluster,
                                     std::uint32_t size);
// A long-name fragment carrying up to 13 characters (padded with 0x0000 then 0xFFFF).
std::vector<std::uint8_t> longNameFragment(std::uint8_t sequence, const std::u16string& chars);
// A folder's "." and ".." entries.
std::vector<std::uint8_t> dotEntries(std::uint32_t self, std::uint32_t parent);
std::vector<std::uint8_t> concat(std::initializer_list<std::vector<std::uint8_t>> parts);

}  // namespace tarvosk::test
