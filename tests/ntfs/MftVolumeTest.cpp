// The volume table on hand-built volumes: record sizes from boot byte 64 against the cluster
// size, reading records through the cluster cache, the end of the $MFT, damaged records, a
// fragmented $MFT continued in an extension record, the bitmap, and the table's 100 entries.
#include <gtest/gtest.h>

#include "ntfs/Attribute.h"
#include "ntfs/ClusterBitmap.h"
#include "ntfs/ExtendedMftRecords.h"
#include "ntfs/NtfsImageBuilder.h"
#include "ntfs/NtfsLayout.h"
#include "ntfs/NtfsTestVolume.h"
#include "ntfs/NtfsVolume.h"
#include "platform/ByteOrder.h"
#include "platform/VolumeServices.h"

using namespace tarvosk;
using namespace tarvosk::test;

namespace {

std::uint32_t markerOf(const std::vector<BYTE>& record) { return le32(ByteSpan(record.data(), record.size()), kRecordMarkerOffset); }

// Writes record n (protected, with its marker) at byte offset.
void putRecord(VolumeBuilder& volume, std::uint64_t offset, RecordBuilder builder, std::uint32_t marker) {
  std::vector<std::uint8_t> plain = builder.plain();
  putLe32(&plain[kRecordMarkerOffset], marker);
  protectRecord(plain, 0x0303);
  volume.putBytes(offset, plain);
}

}  // namespace

class MftRecordSizes : public NtfsVolumeTest, public ::testing::WithParamInterface<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t>> {};

TEST_P(MftRecordSizes, BootByte64DecidesTheRecordSizeAndEveryRecordReadsBack) {
  auto [clusterSize, bootByte, recordSize, recordsPerCluster] = GetParam();
  WCHAR letter = attachBytes(simpleVolume(clusterSize, recordSize, bootByte, 256, 48));
  DWORD h = open(letter);
  ASSERT_LT(h, 100u);
  DWORD size = 0;
  ASSERT_EQ(GetMFTRecordSize(h, &size), 0u);
  EXPECT_EQ(size, recordSize);
  EXPECT_EQ(ntfs::openEntry(h)->recordsPerCluster, recordsPerCluster);
  std::uint64_t mftSize = 0;
  ASSERT_EQ(GetMFTSize(h, &mftSize), 0u);
  EXPECT_EQ(mftSize, 48ull * recordSize);
  DWORD cluster = 0;
  ASSERT_EQ(GetNTFSClusterSize(h, &cluster), 0u);
  EXPECT_EQ(cluster, clusterSize);
  std::vector<BYTE> record(recordSize);
  for (std::uint32_t n = 0; n < 48; ++n) {
    ASSERT_EQ(GetMFTRecord(h, n, record), 0u) << n;
    EXPECT_EQ(markerOf(record), n);
    EXPECT_EQ(le16(ByteSpan(record.data(), record.size()), 6), 1u) << "fixed up";
  }
}

INSTANTIATE_TEST_SUITE_P(ClusterAndRecord, MftRecordSizes,
                         ::testing::Values(std::make_tuple(4096u, 0xF6u, 1024u, 4u),   // 1 KiB records, 4 a cluster
                                           std::make_tuple(4096u, 1u, 4096u, 1u),      // one record a cluster
                                           std::make_tuple(2048u, 2u, 4096u, 0u),      // two clusters a record
                                           std::make_tuple(2048u, 0xF6u, 1024u, 2u),
                                           std::make_tuple(512u, 0xF6u, 1024u, 0u)));  // 0xF6 means 2 clusters, not 246

TEST_F(NtfsVolumeTest, SameRecordTwiceGivesIdenticalBytes) {
  WCHAR letter = attachBytes(simpleVolume(4096, 1024, 0xF6, 128, 32));
  DWORD h = open(letter);
  ASSERT_LT(h, 100u);
  std::vector<BYTE> first(1024), second(1024);
  ASSERT_EQ(GetMFTRecord(h, 17, first), 0u);
  ASSERT_EQ(GetMFTRecord(h, 17, second), 0u);
  EXPECT_EQ(first, second);
  ASSERT_EQ(GetMFTRecord(h, 18, second), 0u);  // same cluster, already fixed records beside it
  ASSERT_EQ(GetMFTRecord(h, 17, second), 0u);
  EXPECT_EQ(first, second);
}

TEST_F(NtfsVolumeTest, RecordBeyondTheLastRunGives2) {
  WCHAR letter = attachBytes(simpleVolume(4096, 1024, 0xF6, 128, 32));  // 8 clusters of records
  DWORD h = open(letter);
  ASSERT_LT(h, 100u);
  std::vector<BYTE> record(1024);
  EXPECT_EQ(GetMFTRecord(h, 31, record), 0u);
  EXPECT_EQ(GetMFTRecord(h, 32, record), 2u);
  EXPECT_EQ(GetMFTRecord(h, ~0ull, record), 2u);
}

TEST_F(NtfsVolumeTest, DamagedRecordsAreRefusedOneByOne) {
  std::vector<std::uint8_t> bytes = simpleVolume(4096, 1024, 0xF6, 128, 32);
  std::size_t mft = 4 * 4096;
  bytes[mft + 20 * 1024 + 1022] ^= 0x5A;                      // record 20: fixup mismatch
  bytes[mft + 21 * 1024] = 'X';                               // record 21: not "FILE"
  std::size_t first22 = mft + 22 * 1024 + le16(ByteSpan(bytes.data(), bytes.size()), mft + 22 * 1024 + 20);
  putLe32(&bytes[first22 + 4], 0);                            // record 22: zero-length attribute
  std::size_t first23 = mft + 23 * 1024 + le16(ByteSpan(bytes.data(), bytes.size()), mft + 23 * 1024 + 20);
  putLe32(&bytes[first23 + 4], 4096);                         // record 23: attribute past the record
  WCHAR letter = attachBytes(bytes);
  DWORD h = open(letter);
  ASSERT_LT(h, 100u);
  std::vector<BYTE> record(1024, 0xCC);
  for (std::uint64_t n : {20, 21, 22, 23}) EXPECT_EQ(GetMFTRecord(h, n, record), 1u) << n;
  ASSERT_EQ(GetMFTRecord(h, 24, record), 0u);
  EXPECT_EQ(markerOf(record), 24u);
  std::vector<BYTE> small(512);
  EXPECT_EQ(GetMFTRecord(h, 24, small), 1u) << "a buffer smaller than a record";
}

TEST_F(NtfsVolumeTest, MftRunOutsideTheVolumeIsAReadFailure) {
  VolumeBuilder volume(4096, 64, 4, 0xF6);
  // Records 0..7 in cluster 4-5; the $MFT claims a second run at cluster 1000, past the image.
  auto runs = encodeRunList({{2, 4}, {2, 996}});
  for (std::uint32_t n = 0; n < 8; ++n) {
    RecordBuilder b(1024);
    if (n == 0) b.nonResident(0x80, runs, 16 * 1024);
    if (n == 6) b.nonResident(0x80, encodeRunList({{1, 8}}), 8);
    putRecord(volume, 4 * 4096 + n * 1024ull, b, n);
  }
  volume.putCluster(8, std::vector<std::uint8_t>(4096, 0xFF));
  WCHAR letter = attachBytes(volume.bytes());
  DWORD h = open(letter);
  ASSERT_LT(h, 100u);
  std::vector<BYTE> record(1024);
  EXPECT_EQ(GetMFTRecord(h, 7, record), 0u);
  EXPECT_EQ(GetMFTRecord(h, 8, record), 1u) << "the cluster lies past the end of the volume";
  std::vector<BYTE> clusters(4096);
  EXPECT_EQ(ReadClusters(h, 1000, 1, clusters), 1u);
  EXPECT_EQ(ReadClusters(h, 8, 2, clusters), 1u) << "buffer smaller than two clusters";
  EXPECT_EQ(ReadClusters(h, 8, 1, clusters), 0u);
  EXPECT_EQ(clusters[100], 0xFF);
}

TEST_F(NtfsVolumeTest, FragmentedMftIsFollowedIntoTheExtentsOfItsExtensionRecord) {
  // Records 0-31 at clusters 4-11; records 32-63 at clusters 40-47, listed only in record 20.
  VolumeBuilder volume(4096, 64, 4, 0xF6);
  std::vector<std::uint8_t> list = attributeListEntry(0x80, 0, 0);
  std::vector<std::uint8_t> second = attributeListEntry(0x80, 8, 20);
  list.insert(list.end(), second.begin(), second.end());
  for (std::uint32_t n = 0; n < 32; ++n) {
    RecordBuilder b(1024);
    if (n == 0) b.resident(0x20, list).nonResident(0x80, encodeRunList({{8, 4}}), 64 * 1024);
    if (n == 6) b.nonResident(0x80, encodeRunList({{1, 12}}), 8);
    if (n == 20) b.baseReference(0).nonResident(0x80, encodeRunList({{8, 40}}), 0, 8);
    putRecord(volume, 4 * 4096 + n * 1024ull, b, n);
  }
  for (std::uint32_t n = 32; n < 64; ++n) putRecord(volume, 40 * 4096 + (n - 32) * 1024ull, RecordBuilder(1024), n);
  std::vector<std::uint8_t> bitmap(4096, 0);
  bitmap[0] = 0xFF, bitmap[1] = 0x1F, bitmap[5] = 0xFF;  // clusters 0-12 and 40-47 in use
  volume.putCluster(12, bitmap);
  WCHAR letter = attachBytes(volume.bytes());
  DWORD h = open(letter);
  ASSERT_LT(h, 100u);
  EXPECT_EQ(ntfs::openEntry(h)->mftRunCount, 2u);
  std::vector<BYTE> record(1024);
  for (std::uint32_t n : {31u, 32u, 45u, 63u}) {
    ASSERT_EQ(GetMFTRecord(h, n, record), 0u) << n;
    EXPECT_EQ(markerOf(record), n);
  }
  EXPECT_EQ(GetMFTRecord(h, 64, record), 2u);
  // The extension record is what the attribute list names.
  ASSERT_EQ(GetMFTRecord(h, 0, record), 0u);
  std::uint64_t numbers[4] = {};
  DWORD count = 4;
  ASSERT_EQ(GetExtendedMFTRecordNum(h, ByteSpan(record.data(), record.size()), 0x80, numbers, &count), 0u);
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(numbers[0], 20u);
  count = 4;
  EXPECT_EQ(GetExtendedMFTRecordNum(h, ByteSpan(record.data(), record.size()), 0x30, numbers, &count), 0u);
  EXPECT_EQ(count, 0u);
  ASSERT_EQ(GetMFTRecord(h, 31, record), 0u);
  count = 4;
  EXPECT_EQ(GetExtendedMFTRecordNum(h, ByteSpan(record.data(), record.size()), 0x80, numbers, &count), 1u)
      << "no attribute list";
  EXPECT_EQ(GetExtendedMFTRecordNum(100, ByteSpan(record.data(), record.size()), 0x80, numbers, &count), 4u);
}

TEST_F(NtfsVolumeTest, ClusterBitmapAnswersInsideItsRunAnd4Beyond) {
  WCHAR letter = attachBytes(simpleVolume(4096, 1024, 0xF6, 128, 32));  // clusters 0-12 in use
  DWORD h = open(letter);
  ASSERT_LT(h, 100u);
  DWORD isFree = 7;
  ASSERT_EQ(IsClusterFree(h, 12, &isFree), 0u);
  EXPECT_EQ(isFree, 0u);
  ASSERT_EQ(IsClusterFree(h, 13, &isFree), 0u);
  EXPECT_EQ(isFree, 1u);
  ASSERT_EQ(IsClusterFree(h, 0, &isFree), 0u);
  EXPECT_EQ(isFree, 0u);
  ASSERT_EQ(IsClusterFree(h, 4096 * 8 - 1, &isFree), 0u) << "last bit of the bitmap's one cluster";
  EXPECT_EQ(IsClusterFree(h, 4096 * 8, &isFree), 4u) << "beyond the bitmap's last run";
  EXPECT_EQ(IsClusterFree(100, 1, &isFree), 4u);
}

TEST_F(NtfsVolumeTest, Table101stOpenFailsWith0xFFFF) {
  WCHAR letter = attachBytes(simpleVolume(4096, 1024, 0xF6, 128, 32));
  std::vector<DWORD> handles;
  for (int i = 0; i < 100; ++i) {
    DWORD h = open(letter);
    ASSERT_EQ(h, static_cast<DWORD>(i));
  }
  EXPECT_EQ(open(letter), 0xFFFFu);
  EXPECT_EQ(CloseMFT(42), 1u);
  EXPECT_EQ(CloseMFT(42), 0u) << "closing twice";
  EXPECT_EQ(open(letter), 42u) << "a closed entry is taken again";
}

TEST_F(NtfsVolumeTest, BadHandlesGive4) {
  std::vector<BYTE> record(1024);
  DWORD v = 0;
  std::uint64_t v64 = 0;
  EXPECT_EQ(GetMFTRecord(100, 0, record), 4u);
  EXPECT_EQ(GetMFTRecord(3, 0, record), 4u);
  EXPECT_EQ(GetMFTRecordSize(3, &v), 4u);
  EXPECT_EQ(GetMFTSize(3, &v64), 4u);
  EXPECT_EQ(GetNTFSClusterSize(0xFFFF, &v), 4u);
  EXPECT_EQ(ReadClusters(3, 0, 1, record), 4u);
  EXPECT_EQ(CloseMFT(3), 0u);
}

TEST_F(NtfsVolumeTest, OpenFailsForMissingOrDamagedVolumes) {
  EXPECT_EQ(open(u'Q'), 0xFFFFu) << "no such drive";
  std::vector<std::uint8_t> bytes = simpleVolume(4096, 1024, 0xF6, 128, 32);
  bytes[4 * 4096 + 1022] ^= 1;  // record 0's fixup does not match
  WCHAR letter = attachBytes(bytes);
  EXPECT_EQ(open(letter), 0xFFFFu);
  std::vector<std::uint8_t> odd = simpleVolume(4096, 1024, 0xF6, 128, 32);
  odd[64] = 0xE0;  // 2^32-byte records
  EXPECT_EQ(open(attachBytes(odd)), 0xFFFFu);
  std::vector<std::uint8_t> noData = simpleVolume(4096, 1024, 0xF6, 128, 32);
  std::size_t first = 4 * 4096 + le16(ByteSpan(noData.data(), noData.size()), 4 * 4096 + 20);
  std::size_t second = first + le32(ByteSpan(noData.data(), noData.size()), first + 4);
  putLe32(&noData[second], 0x90);  // record 0's $DATA becomes an index root
  EXPECT_EQ(open(attachBytes(noData)), 0xFFFFu);
  std::vector<std::uint8_t> oddCluster = simpleVolume(4096, 1024, 0xF6, 128, 32);
  oddCluster[13] = 3;  // 1536-byte clusters
  EXPECT_EQ(open(attachBytes(oddCluster)), 0xFFFFu);
}

TEST_F(NtfsVolumeTest, TruncatedVolumeGivesReadFailuresNotPartialRecords) {
  // The image ends in the middle of the $MFT's last cluster (cluster 11 of records 28-31), and
  // the bitmap cluster behind it is gone: the volume still opens.
  std::vector<std::uint8_t> bytes = simpleVolume(4096, 1024, 0xF6, 128, 32);
  bytes.resize(11 * 4096 + 2048);
  WCHAR letter = attachBytes(bytes);
  DWORD h = open(letter);
  ASSERT_LT(h, 100u) << "a damaged bitmap does not keep the volume from opening";
  std::vector<BYTE> record(1024, 0xAB);
  EXPECT_EQ(GetMFTRecord(h, 27, record), 0u);
  EXPECT_EQ(GetMFTRecord(h, 28, record), 1u);
  EXPECT_EQ(GetMFTRecord(h, 29, record), 1u);
  DWORD isFree = 5;
  EXPECT_EQ(IsClusterFree(h, 3, &isFree), 1u) << "the bitmap cannot be read";
  EXPECT_EQ(isFree, 5u);
  std::u16string root{letter, u':', u'\\'};
  DWORD spc = 0, bps = 0, freeClusters = 9, total = 0;
  ASSERT_TRUE(GetDiskFreeSpaceW(root.c_str(), &spc, &bps, &freeClusters, &total));
  EXPECT_EQ(spc * bps, 4096u);
  EXPECT_EQ(freeClusters, 0u) << "free clusters unknown";
}
