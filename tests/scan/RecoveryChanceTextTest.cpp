// The chance text of each kind of listed entry as the views ask for it, without touching a disk:
// levels already given (recycle bin, FAT rule, carving), carved files never rated, entries that
// are not deleted files, and the setting that hides every chance.
#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "scan/RecoveryChance.h"
#include "settings/Settings.h"

namespace tarvosk::test {
namespace {

TEST(RecoveryChanceText, EachKindOfEntryShowsItsLevelsText) {
  struct Case {
    const char* what;
    std::uint8_t kind, level;
    bool deleted, folder;
    std::uint64_t start;
    const char16_t* text;  // nullptr: the text is left as it was
  };
  const Case cases[] = {
      {"recycle-bin entry", ENTRY_KIND_RECYCLE_BIN, CHANCE_EXCELLENT, true, false, 0, u"极好"},
      {"FAT file, not recoverable", ENTRY_KIND_FAT, CHANCE_NOT_RECOVERABLE, true, false, 9, u"不可恢复"},
      {"FAT file, poor", ENTRY_KIND_FAT, CHANCE_POOR, true, false, 9, u"不良"},
      {"FAT file, probably good", ENTRY_KIND_FAT, CHANCE_PROBABLY_GOOD, true, false, 9, u"可能较好"},
      {"file carved from a drive, rated", ENTRY_KIND_RAW_DEVICE, CHANCE_PROBABLY_GOOD, true, false, 2048, u"可能较好"},
      {"file carved from a drive, unrated", ENTRY_KIND_RAW_DEVICE, CHANCE_NOT_RATED, true, false, 2048, u"未知"},
      {"file carved from NTFS free space", ENTRY_KIND_NTFS, CHANCE_NOT_RATED, true, false, 300, u"未知"},
      {"file carved at unit 0", ENTRY_KIND_RAW_DEVICE, CHANCE_NOT_RATED, true, false, 0, u"未知"},
      {"live folder", ENTRY_KIND_NTFS, CHANCE_NOT_RATED, false, true, 0, nullptr},
      {"deleted folder", ENTRY_KIND_FAT, CHANCE_NOT_RATED, true, true, 0, nullptr},
  };
  for (bool shown : {true, false}) {
    settings().ShowRecoveryChanses = shown;
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (shown ? "" : ", chances hidden"));
      FileEntry entry;
      entry.kind = c.kind;
      entry.recoveryChance = c.level;
      entry.deleted = c.deleted;
      entry.isFolder = c.folder;
      entry.startPosition = c.start;
      WCHAR text[kRecoveryChanceTextUnits] = u"untouched";
      EXPECT_EQ(GetRecoveryChanceText(text, entry), c.level);
      EXPECT_EQ(entry.recoveryChance, c.level) << "a given level is never recomputed, and 0 stays 0";
      std::u16string expected = !shown ? u"" : c.text ? c.text : u"untouched";
      EXPECT_EQ(std::u16string(text), expected);
    }
  }
  settings() = Settings{};
}

}  // namespace
}  // namespace tarvosk::test
