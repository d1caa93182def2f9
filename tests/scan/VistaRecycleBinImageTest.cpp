// The recycle bin of Windows Vista and later on volumes made by mkfs.fat and mtools and by mkntfs
// and ntfs-3g (tests/images/build-recyclebin-fixtures.sh): the "$I"/"$R" pairs show their items
// under their former folders and names, before and after the bin was emptied, and the items come
// back byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/CaseFolding.h"
#include "platform/CodePage.h"
#include "platform/Time.h"
#include "recover/RecoveryTest.h"
#include "search/SearchEngine.h"
#include "support/CapturedLog.h"
#include "viewers/UnitList.h"

namespace tarvosk::test {
namespace {

namespace fs = std::filesystem;

// One line of vista-bin.tsv.
struct Pair {
  std::string shownAt;     // "Users/Lin/Pictures/sunset.jpg", where the item must show
  std::string original;    // under vista-bin-files/
  std::uint64_t size = 0;  // as its "$I" says
  std::uint64_t deletedAt = 0;
  std::string item;        // "S-1-...-1001/$RK3Z9AB.JPG", in the bin
};

std::vector<Pair> pairs() {
  std::ifstream in(fixturePath("vista-bin.tsv"));
  std::vector<Pair> out;
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    Pair p;
    std::string size, when;
    std::getline(fields, p.shownAt, '\t');
    std::getline(fields, p.original, '\t');
    std::getline(fields, size, '\t');
    std::getline(fields, when, '\t');
    std::getline(fields, p.item, '\t');
    std::replace(p.shownAt.begin(), p.shownAt.end(), '\\', '/');
    p.shownAt.erase(0, 1);
    p.size = std::stoull(size);
    p.deletedAt = std::stoull(when);
    out.push_back(p);
  }
  EXPECT_EQ(out.size(), 3u) << "vista-bin.tsv lists a JPEG, a text file and a folder";
  return out;
}

// A name as recovered: the same, or (deleted from FAT) with its lost first character as "_".
bool sameRecoveredName(const std::u16string& recovered, const std::u16string& original) {
  return equalsIgnoreCase(recovered, original) ||
         (!recovered.empty() && recovered[0] == u'_' && recovered.size() == original.size() &&
          equalsIgnoreCase(recovered.substr(1), original.substr(1)));
}

void expectSameTree(const fs::path& recovered, const fs::path& original) {
  SCOPED_TRACE(recovered.string());
  if (!fs::is_directory(original)) {
    EXPECT_EQ(readWholeFile(recovered.string()), readWholeFile(original.string()));
    return;
  }
  ASSERT_TRUE(fs::is_directory(recovered));
  EXPECT_EQ(std::distance(fs::directory_iterator(recovered), {}), std::distance(fs::directory_iterator(original), {}));
  for (const fs::directory_entry& inside : fs::directory_iterator(original)) {
    std::u16string name = utf8ToUtf16(inside.path().filename().string());
    auto match = std::find_if(fs::directory_iterator(recovered), fs::directory_iterator(), [&](const auto& r) {
      return sameRecoveredName(utf8ToUtf16(r.path().filename().string()), name);
    });
    ASSERT_NE(match, fs::directory_iterator()) << inside.path();
    expectSameTree(match->path(), inside.path());
  }
}

std::vector<std::uint64_t> unitNumbers(const FileEntry& entry) {
  std::vector<std::uint64_t> numbers;
  for (const ViewerUnit& unit : listFileUnits(entry).units) numbers.push_back(unit.number);
  return numbers;
}

struct Volume {
  const char* image;
  bool emptied;
  const char* bin;  // the bin folder as listed (on FAT its short name, "$RECYCLE.BIN", without extension)
};

class VistaRecycleBinTest : public RecoveryTest, public ::testing::WithParamInterface<Volume> {};

TEST_P(VistaRecycleBinTest, EachItemShowsUnderItsFormerFolderAndNameAndComesBackByteForByte) {
  const Volume& volume = GetParam();
  DriveFileList& list = scan(volume.image);
  for (const Pair& p : pairs()) {
    SCOPED_TRACE(p.shownAt);
    FileEntry& shown = mustFind(list, p.shownAt);
    fs::path original = fixturePath("vista-bin-files/" + p.original);
    bool folder = fs::is_directory(original);
    EXPECT_EQ(shown.name, utf8ToUtf16(p.shownAt.substr(p.shownAt.rfind('/') + 1)));
    EXPECT_TRUE(shown.deleted);
    EXPECT_EQ(shown.isFolder, folder);
    if (!volume.emptied) {
      std::string kept = "C:\\$Recycle.Bin\\" + p.item;
      std::replace(kept.begin(), kept.end(), '/', '\\');
      EXPECT_EQ(utf16ToUtf8(shown.recycleBinPath), kept);
      EXPECT_EQ(shown.kind, ENTRY_KIND_RECYCLE_BIN);
      EXPECT_EQ(shown.recoveryChance, CHANCE_EXCELLENT);
      EXPECT_EQ(shown.size, folder ? 0 : p.size);
      FILETIME deleted = makeFileTime(p.deletedAt);
      WORD date = 0, time = 0;
      ASSERT_TRUE(FileTimeToDosDateTime(&deleted, &date, &time));
      EXPECT_EQ(shown.dosDate, date);
      EXPECT_EQ(shown.dosTime, time);
    } else {
      const FileEntry& item = mustFind(list, std::string(volume.bin) + "/" + p.item);
      EXPECT_TRUE(item.deleted) << "the item stays where it was";
      EXPECT_EQ(shown.id, SECOND_SHOWING_ID_TAG | item.id);
      EXPECT_EQ(shown.kind, item.kind);
      EXPECT_EQ(shown.size, item.size);
      EXPECT_EQ(shown.children.size(), item.children.size());
      if (!folder) {
        EXPECT_EQ(unitNumbers(shown), unitNumbers(item)) << "the viewer shows the item's own units";
      }
    }
    job.log.clear();
    EXPECT_TRUE(RecoverEntry(list, shown, nullptr, target(), job)) << utf16ToUtf8(job.log);
    expectSameTree(outputOf(shown), original);
  }
  std::uint64_t former = mustFind(list, "Users/Lin/文档").id;
  SearchCriteria criteria;
  criteria.contentText = u"line 150 of the yearly report";
  std::unique_ptr<DriveFileList> found = RunSearch(list, former, u"*.txt", criteria, progress);
  const ChildIds& matches = found->Lookup(former).children;
  EXPECT_EQ(std::vector<std::uint64_t>(matches.begin(), matches.end()),
            std::vector<std::uint64_t>{mustFind(list, "Users/Lin/文档/年度报告 2024.txt").id});
}

TEST_P(VistaRecycleBinTest, MalformedAndUnpairedInfoFilesAreSkippedWithALogLine) {
  CapturedLog log;
  const Volume& volume = GetParam();
  DriveFileList& list = scan(volume.image);
  // A deleted FAT short name may have lost its first character and be in upper case: the lines
  // are matched without the first character, ignoring case.
  auto lower = [](std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
  };
  const std::pair<const char*, const char*> skipped[] = {
      {"IBADLEN.txt", "path length past the end of the file"},
      {"IVER3.txt", "unknown version"},
      {"IHUGE.txt", "file size of 2^63 or more"},
      {"IEMPTY.txt", "empty path"},
      {"IALONE.txt", volume.emptied ? "no deleted $R item is listed beside it" : "its $R item is missing"},
  };
  for (const auto& [name, why] : skipped)
    EXPECT_NE(lower(log.text()).find(lower(std::string(name) + " skipped: " + why)), std::string::npos) << name;
  EXPECT_TRUE(mustFind(list, "Docs").children.empty()) << "each skipped $I names a file in Docs";
  std::size_t shown = 0;
  for (const FileEntry& e : list)
    shown += volume.emptied ? (e.id & ~MFT_RECORD_NUMBER_MASK) == SECOND_SHOWING_ID_TAG : e.kind == ENTRY_KIND_RECYCLE_BIN;
  EXPECT_EQ(shown, 3u + 4u) << "the three items and the four things in the folder";
}

INSTANTIATE_TEST_SUITE_P(MadeByRealTools, VistaRecycleBinTest,
                         ::testing::Values(Volume{"vista-bin-fat.img", false, "$RECYCLE"},
                                           Volume{"vista-bin-ntfs.img", false, "$Recycle.Bin"},
                                           Volume{"vista-bin-fat-emptied.img", true, "$RECYCLE"},
                                           Volume{"vista-bin-ntfs-emptied.img", true, "$Recycle.Bin"}),
                         [](const auto& param) {
                           std::string n = param.param.image;
                           n = n.substr(10, n.size() - 14);
                           n.erase(std::remove(n.begin(), n.end(), '-'), n.end());
                           return n;
                         });

}  // namespace
}  // namespace tarvosk::test
