// Reads of a disk image: runs of sequential small reads come from a read-ahead window and must
// give exactly what single reads give, bad sectors included.
#include <gtest/gtest.h>

#include <random>

#include "platform/DiskSource.h"
#include "platform/WinError.h"
#include "support/TestSupport.h"

namespace tarvosk {
namespace {

struct Image {
  Image() {
    std::mt19937 random(5);
    bytes.resize(3 * 1024 * 1024 + 1000);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    test::writeWholeFile(dir.file("disk.img"), bytes);
    DWORD error = 0;
    source = DiskSource::open(dir.file("disk.img"), error);
  }
  std::vector<std::uint8_t> read(std::uint64_t offset, std::size_t length, DWORD& status) {
    std::vector<std::uint8_t> out(length);
    status = source->read(offset, out.data(), length);
    return out;
  }
  std::vector<std::uint8_t> expected(std::uint64_t offset, std::size_t length) {
    return std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                                     bytes.begin() + static_cast<std::ptrdiff_t>(offset + length));
  }
  test::ScratchDir dir;
  std::vector<std::uint8_t> bytes;
  std::shared_ptr<DiskSource> source;
};

TEST(DiskSource, SequentialRunsWithOtherReadsBetweenGiveTheImagesBytes) {
  Image image;
  ASSERT_NE(image.source, nullptr);
  DWORD status = 0;
  // Clusters one after another across several windows, with a far read after every seventh,
  // as a carving scan reads data between its lookups of the allocation table.
  for (std::uint64_t cluster = 0; cluster < 700; ++cluster) {
    ASSERT_EQ(image.read(cluster * 4096, 4096, status), image.expected(cluster * 4096, 4096)) << cluster;
    ASSERT_EQ(status, ERROR_SUCCESS);
    if (cluster % 7 == 0) {
      ASSERT_EQ(image.read(3 * 1024 * 1024 - 512, 512, status), image.expected(3 * 1024 * 1024 - 512, 512));
    }
  }
  // The run reaches the end of the image, and a read past it still fails.
  EXPECT_EQ(image.read(3 * 1024 * 1024, 1000, status), image.expected(3 * 1024 * 1024, 1000));
  EXPECT_EQ(status, ERROR_SUCCESS);
  image.read(3 * 1024 * 1024 + 1000, 1, status);
  EXPECT_EQ(status, static_cast<DWORD>(ERROR_SECTOR_NOT_FOUND));
}

TEST(DiskSource, BadSectorsInsideAReadAheadWindowStillFail) {
  Image image;
  DWORD status = 0;
  image.source->setBadSectors({{20, 1}});  // inside the third cluster
  image.read(0, 4096, status);
  image.read(4096, 4096, status);  // starts a window over the bad sector
  EXPECT_EQ(status, ERROR_SUCCESS);
  image.read(8192, 4096, status);
  EXPECT_EQ(status, static_cast<DWORD>(ERROR_CRC));
  EXPECT_EQ(image.read(12288, 4096, status), image.expected(12288, 4096));
  EXPECT_EQ(status, ERROR_SUCCESS);
}

}  // namespace
}  // namespace tarvosk
