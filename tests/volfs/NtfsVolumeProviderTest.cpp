// The NTFS volume provider through the platform's volume services: free space against
// ntfsinfo, label and serial against fsstat, and live files (resident, non-resident,
// fragmented, sparse, compressed, behind an attribute list, deep, Chinese) read back byte for
// byte through "C:\..." paths; deleted and system files stay out of the listings.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "ntfs/NtfsImageBuilder.h"
#include "ntfs/NtfsTestVolume.h"
#include "platform/ByteOrder.h"
#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/VolumeServices.h"
#include "platform/WinError.h"
#include "volfs/NtfsFolderIndex.h"

using namespace tarvosk;
using namespace tarvosk::test;

namespace {

class NtfsProviderTest : public NtfsVolumeTest {
 protected:
  void SetUp() override {
    NtfsVolumeTest::SetUp();
    image_ = fixturePath("ntfs-files.img");
    files_ = fixturePath("ntfs-files");
    letter_ = attachFixtureVolume("ntfs-files.img");
  }
  std::u16string path(const std::u16string& inner) const { return std::u16string{letter_, u':', u'\\'} + inner; }
  // Reads a whole file through CreateFileW and ReadFile in pieces of an odd size.
  std::vector<BYTE> readThrough(const std::u16string& inner) {
    std::vector<BYTE> out;
    HANDLE h = CreateFileW(path(inner).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << utf16ToUtf8(inner) << " error " << GetLastError();
    if (h == INVALID_HANDLE_VALUE) return out;
    std::vector<BYTE> piece(12345);
    while (true) {
      DWORD got = 0;
      if (!ReadFile(h, piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr)) {
        ADD_FAILURE() << "ReadFile failed with " << GetLastError();
        break;
      }
      if (got == 0) break;
      out.insert(out.end(), piece.begin(), piece.begin() + got);
    }
    CloseHandle(h);
    return out;
  }
  std::vector<std::u16string> names(const std::u16string& pattern) {
    std::vector<std::u16string> out;
    WIN32_FIND_DATAW data{};
    HANDLE f = FindFirstFileW(path(pattern).c_str(), &data);
    if (f == INVALID_HANDLE_VALUE) return out;
    do {
      out.push_back(data.cFileName);
    } while (FindNextFileW(f, &data));
    FindClose(f);
    return out;
  }
  std::string image_, files_;
  WCHAR letter_ = 0;
};

// The number written after label in a tool's output (decimal, or hexadecimal when base is 16).
std::uint64_t numberAfter(const std::string& text, const std::string& label, int base = 10) {
  std::size_t at = text.find(label);
  EXPECT_NE(at, std::string::npos) << "no '" << label << "' in the tool's output";
  return at == std::string::npos ? 0 : std::stoull(text.substr(at + label.size()), nullptr, base);
}

}  // namespace

TEST_F(NtfsProviderTest, FreeSpaceAgreesWithNtfsinfo) {
  std::string info = commandOutput("ntfsinfo -m '" + image_ + "' 2>/dev/null");
  std::uint64_t wantFree = numberAfter(info, "Free Clusters: ");
  std::uint64_t wantTotal = numberAfter(info, "Volume Size in Clusters: ");
  DWORD spc = 0, bps = 0, freeClusters = 0, total = 0;
  std::u16string root = path(u"");
  ASSERT_TRUE(GetDiskFreeSpaceW(root.c_str(), &spc, &bps, &freeClusters, &total)) << GetLastError();
  EXPECT_EQ(bps, 512u);
  EXPECT_EQ(spc * bps, 4096u);
  EXPECT_EQ(freeClusters, wantFree);
  EXPECT_EQ(total, wantTotal);
  ULARGE_INTEGER avail{}, totalBytes{}, totalFree{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(root.c_str(), &avail, &totalBytes, &totalFree));
  EXPECT_EQ(totalFree.QuadPart, wantFree * 4096);
  EXPECT_EQ(totalBytes.QuadPart, wantTotal * 4096);
}

TEST_F(NtfsProviderTest, VolumeInformationGivesNtfsTheLabelAndTheSerial) {
  std::string fsstat = commandOutput("fsstat '" + image_ + "'");
  auto serialWant = static_cast<std::uint32_t>(numberAfter(fsstat, "Volume Serial Number: ", 16));
  WCHAR label[64] = {}, fs[16] = {};
  DWORD serial = 0, maxComponent = 0, flags = 0;
  ASSERT_TRUE(GetVolumeInformationW(path(u"").c_str(), label, 64, &serial, &maxComponent, &flags, fs, 16));
  EXPECT_EQ(std::u16string(label), u"FIXTURE");
  EXPECT_EQ(std::u16string(fs), u"NTFS");
  EXPECT_EQ(serial, serialWant);
  EXPECT_EQ(maxComponent, 255u);
}

TEST_F(NtfsProviderTest, LiveFilesReadBackByteForByte) {
  struct Case {
    std::u16string inner;
    std::string original;
  } cases[] = {
      {u"small.txt", "small.txt"},           {u"empty.txt", "empty.txt"},
      {u"big.bin", "big.bin"},
      {u"frag.bin", "frag.bin"},             {u"sparse.bin", "sparse.bin"},
      {u"comp\\text.txt", "text.txt"},       {u"comp\\random.bin", "random.bin"},
      {u"comp\\mixed.bin", "mixed.bin"},     {u"linked.txt", "small.txt"},
      {u"中文文件夹\\报告.txt", "report.txt"},
      {u"d1\\d2\\d3\\d4\\d5\\d6\\d7\\d8\\d9\\d10\\d11\\d12\\deep.txt", "deep.txt"},
      {u"link-33-with-a-rather-long-name-so-that-the-file-name-attributes-fill-the-record.txt", "small.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.original);
    std::vector<BYTE> want = readWholeFile(files_ + "/" + c.original);
    EXPECT_EQ(readThrough(c.inner), want);
  }
}

TEST_F(NtfsProviderTest, ReadsAtAnyOffsetInsideCompressedAndSparseFiles) {
  MountedVolume* volume = nullptr;
  DWORD error = 0;
  volume = mountedVolume(letter_, error);
  ASSERT_NE(volume, nullptr) << error;
  for (auto [inner, original] : {std::pair{u"comp\\mixed.bin", "mixed.bin"}, std::pair{u"sparse.bin", "sparse.bin"}}) {
    std::vector<BYTE> want = readWholeFile(files_ + "/" + original);
    std::unique_ptr<VolumeFileReader> reader;
    ASSERT_EQ(volume->open(inner, reader), ERROR_SUCCESS);
    ASSERT_EQ(reader->size(), want.size());
    for (std::uint64_t offset : {0ull, 65535ull, 65536ull, 70000ull, 524287ull, 530000ull}) {
      if (offset >= want.size()) continue;
      std::vector<BYTE> got(5000);
      DWORD n = 0;
      ASSERT_EQ(reader->read(offset, got.data(), 5000, n), ERROR_SUCCESS);
      std::size_t expect = std::min<std::size_t>(5000, want.size() - offset);
      ASSERT_EQ(n, expect);
      EXPECT_TRUE(std::equal(got.begin(), got.begin() + n, want.begin() + static_cast<std::ptrdiff_t>(offset))) << offset;
    }
    DWORD n = 7;
    std::vector<BYTE> got(10);
    EXPECT_EQ(reader->read(want.size(), got.data(), 10, n), ERROR_SUCCESS);
    EXPECT_EQ(n, 0u) << "nothing past the end";
  }
}

TEST_F(NtfsProviderTest, ListingsShowLiveEntriesOnly) {
  std::vector<std::u16string> root = names(u"*");
  std::set<std::u16string> set(root.begin(), root.end());
  for (const char16_t* live : {u"small.txt", u"big.bin", u"frag.bin", u"sparse.bin", u"comp", u"linked.txt", u"d1",
                               u"中文文件夹", u"fill"}) {
    EXPECT_TRUE(set.count(live)) << utf16ToUtf8(live);
  }
  for (const char16_t* absent : {u"gone.bin", u"gonedir", u"$MFT", u"$Bitmap", u"$Extend"}) {
    EXPECT_FALSE(set.count(absent)) << utf16ToUtf8(absent);
  }
  EXPECT_EQ(std::count_if(root.begin(), root.end(), [](const std::u16string& n) { return n.rfind(u"link-", 0) == 0; }), 40);
  std::vector<std::u16string> comp = names(u"comp\\*");
  std::sort(comp.begin(), comp.end());
  EXPECT_EQ(comp, (std::vector<std::u16string>{u"mixed.bin", u"random.bin", u"text.txt"}));
  std::vector<std::u16string> fill = names(u"fill\\*");
  std::string fls = commandOutput("fls -u '" + image_ + "' " + commandOutput("ifind -n /fill '" + image_ + "'"));
  EXPECT_EQ(fill.size(), static_cast<std::size_t>(std::count(fls.begin(), fls.end(), '\n'))) << "fls -u of the folder";
}

TEST_F(NtfsProviderTest, ALongNameShowsTheDosNameBesideIt) {
  auto found = [&](const std::u16string& pattern, WIN32_FIND_DATAW& data) {
    HANDLE f = FindFirstFileW(path(pattern).c_str(), &data);
    if (f == INVALID_HANDLE_VALUE) return false;
    FindClose(f);
    return true;
  };
  WIN32_FIND_DATAW data{};
  ASSERT_TRUE(found(u"Long name.txt", data));
  EXPECT_EQ(std::u16string(data.cFileName), u"Long name.txt");
  EXPECT_EQ(std::u16string(data.cAlternateFileName), u"LONGNA~1.TXT");
  ASSERT_TRUE(found(u"longna~1.txt", data)) << "a search matches the DOS name too";
  EXPECT_EQ(std::u16string(data.cFileName), u"Long name.txt");
  EXPECT_EQ(GetFileAttributesW(path(u"LONGNA~1.TXT").c_str()), INVALID_FILE_ATTRIBUTES)
      << "paths are made of long names";
  ASSERT_TRUE(found(u"linked.txt", data));
  EXPECT_EQ(std::u16string(data.cAlternateFileName), u"") << "41 names of one file in one folder";
}

TEST_F(NtfsProviderTest, AttributesSizesAndLookupErrors) {
  auto attributes = [&](const std::u16string& inner) { return GetFileAttributesW(path(inner).c_str()); };
  EXPECT_TRUE(attributes(u"comp") & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(attributes(u"comp\\text.txt") & FILE_ATTRIBUTE_COMPRESSED);
  EXPECT_TRUE(attributes(u"sparse.bin") & FILE_ATTRIBUTE_SPARSE_FILE);
  EXPECT_FALSE(attributes(u"big.bin") & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_NE(attributes(u"SMALL.TXT"), INVALID_FILE_ATTRIBUTES) << "names compare without regard to case";
  EXPECT_EQ(attributes(u"gone.bin"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(attributes(u"gonedir\\inner\\a.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(attributes(u"small.txt\\x"), INVALID_FILE_ATTRIBUTES) << "a file is no folder";
  MountedVolume* volume = nullptr;
  DWORD error = 0;
  volume = mountedVolume(letter_, error);
  ASSERT_NE(volume, nullptr);
  VolumeFileInfo info;
  ASSERT_EQ(volume->stat(u"sparse.bin", info), ERROR_SUCCESS);
  EXPECT_EQ(info.size, 1048576u);
  EXPECT_NE(info.lastWriteTime.dwHighDateTime, 0u);
  ASSERT_EQ(volume->stat(u"comp\\mixed.bin", info), ERROR_SUCCESS);
  EXPECT_EQ(info.size, 180000u);
  std::unique_ptr<VolumeFileReader> reader;
  EXPECT_EQ(volume->open(u"comp", reader), ERROR_ACCESS_DENIED);
  std::vector<VolumeFileInfo> listing;
  EXPECT_EQ(volume->list(u"small.txt", listing), ERROR_DIRECTORY);
  EXPECT_EQ(volume->list(u"nowhere", listing), ERROR_PATH_NOT_FOUND);
}

TEST_F(NtfsVolumeTest, HandBuiltVolumeSpaceAndLabel) {
  // 128 clusters; clusters 0-12 in use, and the bitmap bits past the volume set.
  WCHAR letter = attachBytes(simpleVolume(4096, 1024, 0xF6, 128, 32));
  std::u16string root{letter, u':', u'\\'};
  DWORD spc = 0, bps = 0, freeClusters = 0, total = 0;
  ASSERT_TRUE(GetDiskFreeSpaceW(root.c_str(), &spc, &bps, &freeClusters, &total));
  EXPECT_EQ(total, 127u) << "total sectors / sectors per cluster";
  EXPECT_EQ(freeClusters, 127u - 13u);
  WCHAR label[32] = {}, fs[16] = {};
  ASSERT_TRUE(GetVolumeInformationW(root.c_str(), label, 32, nullptr, nullptr, nullptr, fs, 16));
  EXPECT_EQ(std::u16string(label), u"HANDMADE");
  EXPECT_EQ(std::u16string(fs), u"NTFS");
}

// A damaged volume of 128 clusters (0-12 in use) whose boot sector claims 2^52 sectors and
// whose $Bitmap has one run.
class DamagedBitmapTest : public NtfsVolumeTest {
 protected:
  // The total and free bytes that GetDiskFreeSpaceExW reports with that $Bitmap run.
  std::pair<std::uint64_t, std::uint64_t> spaceWith(const RunPair& bitmapRun) {
    std::vector<std::uint8_t> bytes = simpleVolume(4096, 1024, 0xF6, 128, 32);
    putLe64(bytes.data() + 40, std::uint64_t{1} << 52);
    std::vector<std::uint8_t> bitmap =
        RecordBuilder().fileName(5, u"$Bitmap", 3).nonResident(0x80, encodeRunList({bitmapRun}), 16).build();
    std::copy(bitmap.begin(), bitmap.end(), bytes.begin() + 4 * 4096 + 6 * 1024);
    WCHAR letter = attachBytes(bytes);
    std::u16string root{letter, u':', u'\\'};
    ULARGE_INTEGER available{}, total{}, totalFree{};
    EXPECT_TRUE(GetDiskFreeSpaceExW(root.c_str(), &available, &total, &totalFree)) << GetLastError();
    return {total.QuadPart, totalFree.QuadPart};
  }
};

TEST_F(DamagedBitmapTest, ASparseRunCountsAsFreeClustersAtOnce) {
  // The run is sparse over 2^48 clusters: the free count used to walk it 64 zero clusters at a
  // time.
  auto [total, free] = spaceWith({std::uint64_t{1} << 48, 0, true});
  EXPECT_EQ(total, (std::uint64_t{1} << 52) / 8 * 4096) << "the size the boot sector claims";
  EXPECT_EQ(free, 128u * 4096) << "a sparse bitmap reads as zeros: every cluster of the device is free";
}

TEST_F(DamagedBitmapTest, ARunOverTheWholeDiskIsReadOnlyForTheClustersTheDeviceHolds) {
  // The run covers 2^40 clusters from where the real bitmap lies: the free count used to read
  // the disk to its end (here: until a read past the end failed, leaving the count unknown).
  const std::int64_t bitmapCluster = 4 + 32 * 1024 / 4096;
  std::uint64_t free = spaceWith({std::uint64_t{1} << 40, bitmapCluster}).second;
  EXPECT_EQ(free, (128u - 13u) * 4096) << "clusters 0-12 in use, the rest of the device free";
}

TEST_F(NtfsVolumeTest, VolumeWithDamagedRecordZeroIsNotMounted) {
  std::vector<std::uint8_t> bytes = simpleVolume(4096, 1024, 0xF6, 128, 32);
  bytes[4 * 4096 + 510] ^= 0x77;
  WCHAR letter = attachBytes(bytes);
  std::u16string root{letter, u':', u'\\'};
  DWORD spc = 0;
  EXPECT_FALSE(GetDiskFreeSpaceW(root.c_str(), &spc, nullptr, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_UNRECOGNIZED_VOLUME);
}

TEST_F(NtfsProviderTest, OpenFileStaysReadableAfterItsDriveIsDetached) {
  HANDLE h = CreateFileW(path(u"big.bin").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  detachAll();
  unregisterVolumeProviders();  // the mounted volume is gone; the open file keeps its volume
  std::vector<BYTE> got(100000);
  DWORD n = 0;
  EXPECT_TRUE(ReadFile(h, got.data(), static_cast<DWORD>(got.size()), &n, nullptr));
  EXPECT_EQ(n, got.size());
  std::vector<BYTE> want = readWholeFile(files_ + "/big.bin");
  want.resize(got.size());
  EXPECT_EQ(got, want);
  CloseHandle(h);
}

// A folder of 600 names, every seventh deleted again: its own index answers lookups and listings,
// read from its blocks; with every index block damaged, the names of all records answer the same.
TEST_F(NtfsVolumeTest, AFolderIsListedFromItsOwnIndexOrWhenThatIsDamagedFromEveryRecord) {
  std::vector<std::u16string> expected;
  for (int i = 1; i <= 600; ++i)
    if (i % 7 != 0) expected.push_back(u"file-" + utf8ToUtf16(std::to_string(i)) + u".txt");
  std::sort(expected.begin(), expected.end());
  auto listing = [](WCHAR letter) {
    std::vector<std::u16string> out;
    WIN32_FIND_DATAW data{};
    HANDLE f = FindFirstFileW((std::u16string{letter} + u":\\many\\*").c_str(), &data);
    if (f == INVALID_HANDLE_VALUE) return out;
    do out.push_back(data.cFileName);
    while (FindNextFileW(f, &data));
    FindClose(f);
    std::sort(out.begin(), out.end());
    return out;
  };
  auto attributes = [](WCHAR letter, const std::u16string& inner) {
    return GetFileAttributesW((std::u16string{letter} + u":\\" + inner).c_str());
  };
  const std::string image = fixturePath("ntfs-folders.img");
  WCHAR healthy = attachFixtureVolume("ntfs-folders.img");
  DWORD handle = open(healthy);
  NtfsVolumeEntry* volume = ntfs::openEntry(handle);
  ASSERT_NE(volume, nullptr);
  std::vector<BYTE> record(volume->recordSize);
  ASSERT_EQ(GetMFTRecord(handle, std::stoull(commandOutput("ifind -n /many '" + image + "'")), record), LAYER_SUCCESS);
  std::vector<FolderIndexName> indexed;
  ASSERT_TRUE(readFolderIndexNames(*volume, ByteSpan(record.data(), record.size()), 1 << 20, indexed));
  std::vector<std::u16string> names;
  for (const FolderIndexName& n : indexed) names.push_back(n.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, expected) << "the in-use blocks hold every live name and no deleted one";
  EXPECT_EQ(listing(healthy), expected);

  std::vector<std::uint8_t> bytes = readWholeFile(image);
  int broken = 0;
  for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4096)
    if (std::equal(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at) + 4, "INDX")) {
      bytes[at] = 'X';
      ++broken;
    }
  ASSERT_GT(broken, 2) << "the folder's index lies in several blocks";
  WCHAR damaged = attachBytes(bytes);
  EXPECT_EQ(listing(damaged), expected);
  for (WCHAR letter : {healthy, damaged}) {
    EXPECT_NE(attributes(letter, u"MANY\\file-599.TXT"), INVALID_FILE_ATTRIBUTES) << "names compare without regard to case";
    EXPECT_EQ(attributes(letter, u"many\\file-595.txt"), INVALID_FILE_ATTRIBUTES) << "deleted";
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  }
}
