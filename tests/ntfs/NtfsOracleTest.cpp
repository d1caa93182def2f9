// The reader against a real volume made by mkntfs and filled through ntfs-3g, with sleuthkit
// as the oracle: names, data sizes and runs of records (istat), deleted entries (fls -d),
// allocated and free clusters (blkls), and the decompressed units of ntfs-3g's compressed files
// against the original bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "ntfs/Attribute.h"
#include "ntfs/ClusterBitmap.h"
#include "ntfs/ExtendedMftRecords.h"
#include "ntfs/Lznt1.h"
#include "ntfs/NtfsLayout.h"
#include "ntfs/NtfsTestVolume.h"
#include "ntfs/RunList.h"
#include "platform/CodePage.h"

using namespace tarvosk;
using namespace tarvosk::ntfs;
using namespace tarvosk::test;

namespace {

const char* const kImage = "ntfs-files.img";

std::string shellQuote(const std::string& s) { return "'" + s + "'"; }

struct OracleRecord {
  std::string name;                  // first $FILE_NAME's name
  bool dataResident = false;
  std::uint64_t dataSize = 0;
  std::vector<std::int64_t> clusters;  // istat's cluster list of $DATA, 0 for sparse clusters
};

std::uint64_t inodeOf(const std::string& image, const std::string& path) {
  return std::stoull(commandOutput("ifind -n " + shellQuote(path) + " " + shellQuote(image)));
}

OracleRecord istat(const std::string& image, std::uint64_t inode) {
  std::istringstream in(commandOutput("istat " + shellQuote(image) + " " + std::to_string(inode)));
  OracleRecord r;
  std::string line;
  bool inFileName = false, inData = false;
  while (std::getline(in, line)) {
    if (line.rfind("$FILE_NAME Attribute Values:", 0) == 0) inFileName = r.name.empty();
    if (inFileName && line.rfind("Name: ", 0) == 0) {
      r.name = line.substr(6);
      inFileName = false;
    }
    if (line.rfind("Type: ", 0) == 0) {
      inData = false;
      if (line.find("$DATA (128-") != std::string::npos && line.find("Name: N/A") != std::string::npos) {
        inData = true;
        r.dataResident = line.find("Non-Resident") == std::string::npos;
        std::size_t at = line.find("size: ");
        r.dataSize = std::stoull(line.substr(at + 6));
      }
      continue;
    }
    if (inData) {
      std::istringstream numbers(line);
      std::int64_t c = 0;
      while (numbers >> c) r.clusters.push_back(c);
    }
  }
  return r;
}

std::string utf8(const std::u16string& s) { return utf16ToUtf8(s); }

// The runs expanded into one cluster per VCN, 0 for sparse clusters, as istat prints them.
std::vector<std::int64_t> expand(const std::vector<::Run>& runs) {
  std::vector<std::int64_t> out;
  for (const ::Run& run : runs)
    for (std::uint64_t i = 0; i < run.length; ++i) out.push_back(run.startCluster < 0 ? 0 : run.startCluster + static_cast<std::int64_t>(i));
  return out;
}

class NtfsOracleTest : public NtfsVolumeTest {
 protected:
  void SetUp() override {
    NtfsVolumeTest::SetUp();
    image_ = fixturePath(kImage);
    files_ = fixturePath("ntfs-files");
    letter_ = attachFixtureVolume(kImage);
    handle_ = open(letter_);
    ASSERT_LT(handle_, 100u);
    ASSERT_EQ(GetMFTRecordSize(handle_, &recordSize_), 0u);
    ASSERT_EQ(GetNTFSClusterSize(handle_, &clusterSize_), 0u);
  }
  std::vector<BYTE> record(std::uint64_t n) {
    std::vector<BYTE> r(recordSize_);
    EXPECT_EQ(GetMFTRecord(handle_, n, r), 0u) << "record " << n;
    return r;
  }
  std::vector<BYTE> original(const std::string& name) { return readWholeFile(files_ + "/" + name); }

  std::string image_, files_;
  WCHAR letter_ = 0;
  DWORD handle_ = 0xFFFF;
  DWORD recordSize_ = 0, clusterSize_ = 0;
};

}  // namespace

TEST_F(NtfsOracleTest, NamesSizesAndRunsAgreeWithIstat) {
  const char* paths[] = {"/small.txt", "/big.bin", "/frag.bin", "/sparse.bin", "/comp/text.txt", "/comp/random.bin",
                         "/comp/mixed.bin", "/linked.txt", "/中文文件夹/报告.txt", "/中文文件夹",
                         "/d1/d2/d3/d4/d5/d6/d7/d8/d9/d10/d11/d12/deep.txt"};
  for (const char* path : paths) {
    SCOPED_TRACE(path);
    std::uint64_t inode = inodeOf(image_, path);
    OracleRecord oracle = istat(image_, inode);
    std::vector<BYTE> r = record(inode);
    ByteSpan bytes(r.data(), r.size());
    ByteSpan name;
    ASSERT_EQ(GetFileName(bytes, &name), 0u);
    EXPECT_EQ(utf8(fileNameText(name)), oracle.name);
    ByteSpan data;
    if (oracle.dataSize == 0 && oracle.clusters.empty() && std::string(path) == "/中文文件夹") {
      EXPECT_EQ(FindAttribute(bytes, _AH_TYPE_DA, &data), 1u) << "a folder has no $DATA";
      continue;
    }
    if (std::string(path) == "/linked.txt") continue;  // its $DATA may sit in an extension record
    ASSERT_EQ(FindAttribute(bytes, _AH_TYPE_DA, &data), 0u);
    EXPECT_EQ(attributeDataSize(data), oracle.dataSize);
    EXPECT_EQ(isResident(data), oracle.dataResident);
    if (oracle.dataResident) {
      DWORD count = 0;
      EXPECT_EQ(GetRunCountFromAttr(data, &count), 4u);
      continue;
    }
    std::vector<::Run> runs;
    ASSERT_EQ(decodeRunList(data, runs), 0u);
    std::vector<std::int64_t> clusters = expand(runs);
    if (le16(data, kAttrCompressionUnit) != 0 && clusters.size() > oracle.clusters.size()) {
      // istat stops at the file's last cluster; the runs go on to the end of its last unit,
      // and only with sparse clusters.
      EXPECT_TRUE(std::all_of(clusters.begin() + static_cast<std::ptrdiff_t>(oracle.clusters.size()), clusters.end(),
                              [](std::int64_t c) { return c == 0; }));
      clusters.resize(oracle.clusters.size());
    }
    EXPECT_EQ(clusters, oracle.clusters);
  }
}

TEST_F(NtfsOracleTest, FragmentedFileHasSeveralRunsOneOfThemBackwards) {
  std::vector<BYTE> r = record(inodeOf(image_, "/frag.bin"));
  ByteSpan data;
  ASSERT_EQ(FindAttribute(ByteSpan(r.data(), r.size()), _AH_TYPE_DA, &data), 0u);
  std::vector<::Run> runs;
  ASSERT_EQ(decodeRunList(data, runs), 0u);
  ASSERT_GE(runs.size(), 3u);
  EXPECT_TRUE(std::any_of(runs.begin() + 1, runs.end(), [](const ::Run& run) { return run.offset < 0; }));
}

TEST_F(NtfsOracleTest, DeletedEntriesKeepTheirNamesAsFlsShowsThem) {
  std::istringstream in(commandOutput("fls -r -d " + shellQuote(image_)));
  std::string line;
  int checked = 0;
  while (std::getline(in, line)) {
    std::size_t star = line.find("* ");
    std::size_t tab = line.find('\t');
    if (star == std::string::npos || tab == std::string::npos) continue;
    std::string path = line.substr(tab + 1);
    if (path.rfind("$OrphanFiles", 0) == 0) continue;
    std::uint64_t inode = std::stoull(line.substr(star + 2));
    std::string base = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    std::vector<BYTE> r = record(inode);
    ByteSpan bytes(r.data(), r.size());
    EXPECT_EQ(le16(bytes, kRecordFlags) & kRecordInUse, 0) << path;
    ByteSpan name;
    ASSERT_EQ(GetFileName(bytes, &name), 0u) << path;
    EXPECT_EQ(utf8(fileNameText(name)), base);
    ++checked;
  }
  EXPECT_GE(checked, 5) << "gone.bin, gonedir and its contents at least";
}

TEST_F(NtfsOracleTest, IsClusterFreeAgreesWithBlklsOnEveryCluster) {
  std::istringstream in(commandOutput("blkls -e -l " + shellQuote(image_)));
  std::string line;
  std::uint64_t checked = 0, freeCount = 0, usedCount = 0;
  while (std::getline(in, line)) {
    std::size_t bar = line.find('|');
    if (bar == std::string::npos || line.empty() || !std::isdigit(static_cast<unsigned char>(line[0]))) continue;
    std::uint64_t cluster = std::stoull(line.substr(0, bar));
    bool oracleFree = line.substr(bar + 1) == "f";
    DWORD isFree = 9;
    ASSERT_EQ(IsClusterFree(handle_, cluster, &isFree), 0u) << cluster;
    ASSERT_EQ(isFree, oracleFree ? 1u : 0u) << "cluster " << cluster;
    ++checked;
    (oracleFree ? freeCount : usedCount)++;
  }
  std::string fsstat = commandOutput("fsstat " + shellQuote(image_));
  std::size_t at = fsstat.find("Total Cluster Range: 0 - ");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(checked, std::stoull(fsstat.substr(at + 25)) + 1) << "every cluster of the volume";
  EXPECT_GT(freeCount, 100u);
  EXPECT_GT(usedCount, 100u);
}

TEST_F(NtfsOracleTest, CompressedUnitsExpandToTheOriginalBytes) {
  for (std::string name : {"text.txt", "random.bin", "mixed.bin"}) {
    SCOPED_TRACE(name);
    std::vector<BYTE> want = original(name);
    std::vector<BYTE> r = record(inodeOf(image_, "/comp/" + name));
    ByteSpan data;
    ASSERT_EQ(FindAttribute(ByteSpan(r.data(), r.size()), _AH_TYPE_DA, &data), 0u);
    ASSERT_EQ(le16(data, kAttrCompressionUnit), 4u) << "ntfs-3g compressed the file";
    std::vector<::Run> runs;
    ASSERT_EQ(decodeRunList(data, runs), 0u);
    std::vector<std::int64_t> clusters = expand(runs);
    std::size_t unitBytes = 16 * clusterSize_;
    int compressedUnits = 0;
    for (std::size_t unit = 0; unit * unitBytes < want.size(); ++unit) {
      std::vector<BYTE> raw;
      std::size_t allocated = 0;
      for (std::size_t i = 0; i < 16 && unit * 16 + i < clusters.size(); ++i) {
        std::int64_t lcn = clusters[unit * 16 + i];
        if (lcn == 0) continue;
        std::vector<BYTE> c(clusterSize_);
        ASSERT_EQ(ReadClusters(handle_, static_cast<std::uint64_t>(lcn), 1, c), 0u);
        raw.insert(raw.end(), c.begin(), c.end());
        ++allocated;
      }
      std::size_t length = std::min(unitBytes, want.size() - unit * unitBytes);
      std::vector<BYTE> expected(want.begin() + static_cast<std::ptrdiff_t>(unit * unitBytes),
                                 want.begin() + static_cast<std::ptrdiff_t>(unit * unitBytes + length));
      std::vector<BYTE> out(unitBytes);
      if (allocated == 16) {
        out = raw;  // stored as it is
      } else if (allocated == 0) {
        std::fill(out.begin(), out.end(), 0);
      } else {
        ASSERT_EQ(DecompressUnit(handle_, ByteSpan(raw.data(), raw.size()), out), 0u);
        ++compressedUnits;
      }
      out.resize(length);
      EXPECT_EQ(out, expected) << "unit " << unit;
    }
    if (name != "random.bin") {
      EXPECT_GT(compressedUnits, 0);
    }
  }
}

TEST_F(NtfsOracleTest, AttributeListNamesTheExtensionRecordsOfTheLinks) {
  std::uint64_t inode = inodeOf(image_, "/linked.txt");
  std::vector<BYTE> base = record(inode);
  ByteSpan list;
  ASSERT_EQ(FindAttribute(ByteSpan(base.data(), base.size()), _AH_TYPE_AL, &list), 0u);
  std::uint64_t numbers[64] = {};
  DWORD count = 64;
  ASSERT_EQ(GetExtendedMFTRecordNum(handle_, ByteSpan(base.data(), base.size()), kAttrFileName, numbers, &count), 0u);
  ASSERT_GT(count, 1u);
  int extensionNames = 0;
  for (DWORD i = 0; i < count; ++i) {
    std::vector<BYTE> r = record(numbers[i]);
    ByteSpan bytes(r.data(), r.size());
    if (numbers[i] == inode) continue;
    EXPECT_EQ(le64(bytes, kRecordBaseReference) & kRecordNumberMask, inode) << numbers[i];
    ByteSpan name;
    if (GetFileName(bytes, &name) == 0) {
      EXPECT_EQ(utf8(fileNameText(name)).rfind("link-", 0), 0u);
      ++extensionNames;
    }
  }
  EXPECT_GT(extensionNames, 0);
  DWORD one = 1;
  ASSERT_EQ(GetExtendedMFTRecordNum(handle_, ByteSpan(base.data(), base.size()), kAttrFileName, numbers, &one), 0u);
  EXPECT_EQ(one, 1u) << "the caller's capacity stops the walk";
}

TEST_F(NtfsOracleTest, EveryRecordOfTheMftReadsOrIsRefusedCleanly) {
  std::uint64_t mftSize = 0;
  ASSERT_EQ(GetMFTSize(handle_, &mftSize), 0u);
  std::uint64_t records = mftSize / recordSize_;
  std::uint64_t inUse = 0;
  std::vector<BYTE> r(recordSize_);
  for (std::uint64_t n = 0; n < records; ++n) {
    DWORD result = GetMFTRecord(handle_, n, r);
    ASSERT_TRUE(result == 0 || result == 1) << n;
    if (result == 0 && (le16(ByteSpan(r.data(), r.size()), kRecordFlags) & kRecordInUse)) {
      ++inUse;
    }
  }
  std::string fsstat = commandOutput("fsstat " + shellQuote(image_));
  EXPECT_NE(fsstat.find("Size of MFT Entries: " + std::to_string(recordSize_)), std::string::npos);
  EXPECT_GT(inUse, 1000u) << "the live fill files, the links and the system files";
  EXPECT_EQ(GetMFTRecord(handle_, records + 10000, r), 2u);
}
