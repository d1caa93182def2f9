// Partition tables from hand-built sectors: the damaged and hostile tables no tool writes.
#include <gtest/gtest.h>

#include <map>

#include "platform/ByteOrder.h"
#include "platform/DiskGeometry.h"
#include "platform/PartitionTable.h"

namespace tarvosk {
namespace {

using Sector = std::vector<std::uint8_t>;

// A disk of 512-byte sectors held in a map; unset sectors read as zeros.
struct FakeDisk {
  std::map<std::uint64_t, Sector> sectors;
  std::uint64_t total = 1 << 20;
  int reads = 0;
  SectorReader reader() {
    return [this](std::uint64_t lba, std::uint32_t count, std::vector<std::uint8_t>& out) {
      ++reads;
      if (lba + count > total) return false;
      out.assign(count * 512, 0);
      for (std::uint32_t i = 0; i < count; ++i) {
        auto it = sectors.find(lba + i);
        if (it != sectors.end()) std::copy(it->second.begin(), it->second.end(), out.begin() + i * 512);
      }
      return true;
    };
  }
  Sector& at(std::uint64_t lba) {
    Sector& s = sectors[lba];
    s.resize(512);
    return s;
  }
};

void setEntry(Sector& s, int index, std::uint8_t type, std::uint32_t first, std::uint32_t count, std::uint8_t flag = 0) {
  std::uint8_t* e = s.data() + 446 + 16 * index;
  e[0] = flag;
  e[4] = type;
  putLe32(e + 8, first);
  putLe32(e + 12, count);
  s[510] = 0x55;
  s[511] = 0xAA;
}

TEST(PartitionTable, PrimaryEntriesAreCutAtTheEndOfTheDisk) {
  FakeDisk disk;
  disk.total = 10000;
  setEntry(disk.at(0), 0, 0x06, 2048, 4000);
  setEntry(disk.at(0), 1, 0x07, 6048, 100000);  // runs past the end
  setEntry(disk.at(0), 2, 0x0B, 20000, 10);      // starts past the end
  PartitionTable t = readPartitionTable(disk.reader(), disk.total, 512);
  ASSERT_EQ(t.kind, PartitionTableKind::Mbr);
  ASSERT_EQ(t.partitions.size(), 2u);
  EXPECT_EQ(t.partitions[1].sectorCount, 10000u - 6048);
  EXPECT_EQ(t.partitions[1].number, 2u);
}

TEST(PartitionTable, RandomBytesWithASignatureAreNotATable) {
  FakeDisk disk;
  Sector& s = disk.at(0);
  setEntry(s, 0, 0x06, 2048, 4000, 0x37);  // a boot flag no table holds
  EXPECT_EQ(readPartitionTable(disk.reader(), disk.total, 512).kind, PartitionTableKind::None);
  Sector empty(512);
  empty[510] = 0x55;
  empty[511] = 0xAA;
  disk.sectors[0] = empty;
  EXPECT_EQ(readPartitionTable(disk.reader(), disk.total, 512).kind, PartitionTableKind::None);
}

TEST(PartitionTable, ALoopingExtendedChainEndsAfterEachRecordOnce) {
  FakeDisk disk;
  setEntry(disk.at(0), 0, 0x0F, 1000, 50000);
  // Two records pointing at each other.
  setEntry(disk.at(1000), 0, 0x06, 63, 100);
  setEntry(disk.at(1000), 1, 0x05, 2000, 500);
  setEntry(disk.at(3000), 0, 0x06, 63, 100);
  setEntry(disk.at(3000), 1, 0x05, 0 + 0, 0);  // replaced below
  setEntry(disk.at(3000), 1, 0x05, 0, 500);    // next at offset 0: the first record again
  PartitionTable t = readPartitionTable(disk.reader(), disk.total, 512);
  ASSERT_EQ(t.partitions.size(), 2u);
  EXPECT_EQ(t.partitions[0].firstSector, 1063u);
  EXPECT_EQ(t.partitions[1].firstSector, 3063u);
  EXPECT_EQ(t.partitions[1].number, 6u);

  FakeDisk self;
  setEntry(self.at(0), 0, 0x05, 1000, 50000);
  setEntry(self.at(1000), 0, 0x06, 63, 100);
  setEntry(self.at(1000), 1, 0x05, 1000, 10);  // points one record further... at itself
  setEntry(self.at(2000), 0, 0x06, 63, 100);
  setEntry(self.at(2000), 1, 0x05, 1000, 10);
  PartitionTable u = readPartitionTable(self.reader(), self.total, 512);
  EXPECT_EQ(u.partitions.size(), 2u);
  EXPECT_LT(self.reads, 10);
}

TEST(PartitionTable, ALongExtendedChainIsBounded) {
  FakeDisk disk;
  setEntry(disk.at(0), 0, 0x05, 1000, 900000);
  for (std::uint32_t i = 0; i < 500; ++i) {
    setEntry(disk.at(1000 + i * 100), 0, 0x06, 10, 50);
    setEntry(disk.at(1000 + i * 100), 1, 0x05, (i + 1) * 100, 100);
  }
  PartitionTable t = readPartitionTable(disk.reader(), disk.total, 512);
  EXPECT_EQ(t.partitions.size(), 128u);
}

TEST(PartitionTable, GptHeadersWithAbsurdFieldsAreRefused) {
  auto gptDisk = [](std::uint32_t count, std::uint32_t entrySize, std::uint64_t entriesLba) {
    FakeDisk disk;
    setEntry(disk.at(0), 0, 0xEE, 1, 0xFFFFFFFF);
    Sector& h = disk.at(1);
    std::copy_n("EFI PART", 8, h.begin());
    putLe32(h.data() + 12, 92);
    putLe64(h.data() + 72, entriesLba);
    putLe32(h.data() + 80, count);
    putLe32(h.data() + 84, entrySize);
    Sector& e = disk.at(2);
    static const std::uint8_t basic[16] = {0xA2, 0xA0, 0xD0, 0xEB, 0xE5, 0xB9, 0x33, 0x44,
                                           0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7};
    std::copy_n(basic, 16, e.begin());
    putLe64(e.data() + 32, 2048);
    putLe64(e.data() + 40, 4095);
    return disk;
  };
  FakeDisk good = gptDisk(128, 128, 2);
  PartitionTable t = readPartitionTable(good.reader(), good.total, 512);
  ASSERT_EQ(t.kind, PartitionTableKind::Gpt);
  ASSERT_EQ(t.partitions.size(), 1u);
  EXPECT_TRUE(t.partitions[0].basicData);
  EXPECT_EQ(t.partitions[0].sectorCount, 2048u);

  for (auto [count, size, lba] : {std::tuple{0xFFFFFFFFu, 128u, 2ull}, std::tuple{128u, 7u, 2ull},
                                  std::tuple{128u, 1024u, 2ull}, std::tuple{128u, 128u, 1ull << 40}}) {
    FakeDisk bad = gptDisk(count, size, lba);
    PartitionTable b = readPartitionTable(bad.reader(), bad.total, 512);
    EXPECT_NE(b.kind, PartitionTableKind::Gpt) << count << " " << size << " " << lba;
    EXPECT_TRUE(b.partitions.empty());
  }
}

TEST(DiskGeometry, TheProductIsAlwaysTheSectorCount) {
  for (std::uint64_t sectors : {1ull, 63ull, 16065ull, 2048000ull, 6442450944ull, 1000003ull, 0xFFFFFFFFFull}) {
    Geometry g = exactGeometry(sectors);
    EXPECT_EQ(g.cylinders * g.tracksPerCylinder * g.sectorsPerTrack, sectors) << sectors;
    EXPECT_LE(g.tracksPerCylinder, 255u);
    EXPECT_LE(g.sectorsPerTrack, 63u);
  }
  Geometry classic = exactGeometry(16065ull * 1000);
  EXPECT_EQ(classic.tracksPerCylinder, 255u);
  EXPECT_EQ(classic.sectorsPerTrack, 63u);
  EXPECT_EQ(classic.cylinders, 1000u);
}

}  // namespace
}  // namespace tarvosk
