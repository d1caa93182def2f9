// The carving scan driver with a disk in memory and recognisers that record what they see.
#include <gtest/gtest.h>

#include <set>

#include "scan/DeepScan.h"
#include "support/FakeUi.h"

namespace tarvosk {
namespace {

// A disk whose sector n holds bytes (n + i) & 0xFF; chunks touching an in-use unit are refused.
class MemoryReader : public ChunkReader {
 public:
  MemoryReader(std::uint32_t unitSize, std::uint32_t perChunk) : unitSize_(unitSize), perChunk_(perChunk) {}
  std::uint32_t unitSize() const override { return unitSize_; }
  std::uint32_t unitsPerChunk() const override { return perChunk_; }
  bool readChunk(std::uint64_t unit, std::uint32_t count, std::uint8_t* out) override {
    reads.push_back({unit, count});
    for (std::uint32_t j = 0; j < count; ++j)
      if (inUse.count(unit + j)) return false;
    for (std::uint64_t i = 0; i < std::uint64_t(count) * unitSize_; ++i) out[i] = byteAt(unit * unitSize_ + i);
    return true;
  }
  static std::uint8_t byteAt(std::uint64_t offset) { return static_cast<std::uint8_t>(offset / 512 + offset); }
  std::set<std::uint64_t> inUse;
  std::vector<std::pair<std::uint64_t, std::uint32_t>> reads;

 private:
  std::uint32_t unitSize_, perChunk_;
};

// Records every unit, checks that the unit and one chunk after it hold the stream's bytes, and
// reports a find at every unit divisible by 10.
class Recorder : public CPlainTypeFilter {
 public:
  Recorder(std::u16string_view name, std::uint64_t lookahead) : name_(name), lookahead_(lookahead) {}
  void Reset() override { results_.clear(); }
  void Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) override {
    units.push_back(unit);
    withData.push_back(data != nullptr);
    if (data) {
      for (std::uint64_t i = 0; i < unitSize; ++i)
        if (data[i] != MemoryReader::byteAt(unit * unitSize + i)) ++wrongBytes;
      // The look-ahead is readable (the sanitizers would catch a read past the buffer).
      volatile std::uint8_t sink = 0;
      for (std::uint64_t i = 0; i < lookahead_; ++i) sink = static_cast<std::uint8_t>(sink + data[unitSize + i]);
    }
    if (unit % 10 == 0) results_.push_back({unit, 1234, kChanceMayBeGood});
  }
  std::u16string_view GetExtension() const override { return u".rec"; }
  std::u16string_view GetName() const override { return name_; }
  std::u16string_view GetCategory() const override { return u"测试"; }
  std::vector<std::uint64_t> units;
  std::vector<bool> withData;
  int wrongBytes = 0;

 private:
  std::u16string_view name_;
  std::uint64_t lookahead_;
};

struct Scan {
  Scan(std::uint32_t unitSize, std::uint32_t perChunk) : reader(unitSize, perChunk) {
    std::uint64_t chunk = std::uint64_t(unitSize) * perChunk;
    auto a = std::make_unique<Recorder>(u"Recorder 文件", chunk);
    auto b = std::make_unique<Recorder>(u"无法识别的文档", 0);
    recorder = a.get();
    hidden = b.get();
    std::vector<std::unique_ptr<CTypeFilter>> list;
    list.push_back(std::move(a));
    list.push_back(std::move(b));
    registry = std::make_unique<FilterRegistry>(std::move(list));
    FileEntry& r = files.Lookup(ROOT_ENTRY_ID);
    r.id = ROOT_ENTRY_ID;
    r.isFolder = true;
    r.handle = 3;
    r.driveLetter = u'{';
    r.kind = ENTRY_KIND_RAW_DEVICE;
  }
  void run(std::uint64_t first, std::uint64_t last) {
    runDeepScan(reader, *registry, progress, files, files.Lookup(ROOT_ENTRY_ID), first, last);
  }
  MemoryReader reader;
  Recorder* recorder;
  Recorder* hidden;
  std::unique_ptr<FilterRegistry> registry;
  test::FakeProgress progress;
  DriveFileList files;
};

TEST(DeepScan, ChunksOfSixteenSectorsFeedEveryUnitAtItsOwnNumber) {
  Scan s(512, 16);
  s.run(100, 120);
  ASSERT_EQ(s.reader.reads.size(), 2u);
  EXPECT_EQ(s.reader.reads[0], (std::pair<std::uint64_t, std::uint32_t>{100, 16}));
  EXPECT_EQ(s.reader.reads[1], (std::pair<std::uint64_t, std::uint32_t>{116, 4}));
  ASSERT_EQ(s.recorder->units.size(), 20u);
  for (std::uint64_t j = 0; j < 20; ++j) EXPECT_EQ(s.recorder->units[j], 100 + j);
  EXPECT_EQ(s.recorder->wrongBytes, 0);
}

TEST(DeepScan, UnitsInUseComeWithoutData) {
  Scan s(4096, 1);
  s.reader.inUse = {3, 4};
  s.run(0, 8);
  ASSERT_EQ(s.recorder->withData.size(), 8u);
  EXPECT_EQ(s.recorder->withData, (std::vector<bool>{true, true, true, false, false, true, true, true}));
  EXPECT_EQ(s.recorder->wrongBytes, 0);
}

TEST(DeepScan, AnEmptyRangeScansNothing) {
  Scan s(512, 16);
  s.run(50, 50);
  EXPECT_TRUE(s.recorder->units.empty());
  EXPECT_TRUE(s.files.Lookup(ROOT_ENTRY_ID).children.empty());
}

TEST(DeepScan, FindsBecomeOneFolderPerTypeNamedFromTheirStartUnits) {
  Scan s(512, 16);
  s.run(0, 25);
  const FileEntry& root = s.files.Lookup(ROOT_ENTRY_ID);
  ASSERT_EQ(root.children.size(), 1u) << "the unrecognised document type is never listed";
  EXPECT_TRUE(root.hasSubfolders);
  const FileEntry& folder = s.files.Lookup(root.children[0]);
  EXPECT_EQ(folder.id, 7u);
  EXPECT_EQ(folder.name, u"Recorder 文件");
  EXPECT_TRUE(folder.isFolder && folder.deleted && !folder.noDeletedFiles);
  ASSERT_EQ(folder.children.size(), 3u);
  std::vector<std::u16string> names;
  for (std::uint64_t id : folder.children) {
    const FileEntry& f = s.files.Lookup(id);
    names.push_back(f.name.str());
    EXPECT_EQ(f.parentId, folder.id);
    EXPECT_EQ(f.size, 1234u);
    EXPECT_EQ(f.recoveryChance, kChanceMayBeGood);
    EXPECT_EQ(f.kind, ENTRY_KIND_RAW_DEVICE);
    EXPECT_EQ(f.handle, 3u);
    EXPECT_EQ(f.dosDate, folder.dosDate);
    EXPECT_EQ(f.dosTime, folder.dosTime);
  }
  EXPECT_EQ(names, (std::vector<std::u16string>{u"file0.rec", u"file10.rec", u"file20.rec"}));
  EXPECT_EQ(s.files.Lookup(folder.children[1]).startPosition, 10u);
  EXPECT_TRUE(s.recorder->GetResults().empty()) << "the recognisers are reset afterwards";
}

TEST(DeepScan, CancelStopsAtAProgressPointAndKeepsWhatWasFound) {
  Scan s(512, 1);
  s.progress.cancelAfterPumps(1);
  s.run(0, 1000);
  EXPECT_EQ(s.recorder->units.size(), 99u) << "100 steps read, 99 chunks fed before the first progress point";
  ASSERT_EQ(s.files.Lookup(ROOT_ENTRY_ID).children.size(), 1u);
  EXPECT_EQ(s.files.Lookup(s.files.Lookup(ROOT_ENTRY_ID).children[0]).children.size(), 10u);
}

}  // namespace
}  // namespace tarvosk
