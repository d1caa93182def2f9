// The settings record against the registry store.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Registry.h"
#include "platform/WinError.h"
#include "settings/Settings.h"
#include "support/TestSupport.h"
#include "support/UnitFeeder.h"
#include "types/TextDoc.h"

namespace tarvosk::test {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    if (old) saved_ = old;
    setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
  }
  void TearDown() override {
    if (saved_.empty()) unsetenv("XDG_CONFIG_HOME");
    else setenv("XDG_CONFIG_HOME", saved_.c_str(), 1);
    settings() = Settings{};
  }
  HKEY key() {
    HKEY k = nullptr;
    EXPECT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, kSettingsKey, &k), static_cast<LONG>(ERROR_SUCCESS));
    return k;
  }
  void setDword(const char16_t* name, DWORD v) {
    HKEY k = key();
    RegSetValueExW(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
    RegCloseKey(k);
  }
  bool hasValue(const char16_t* name) {
    HKEY k = key();
    DWORD size = 0;
    bool found = RegQueryValueExW(k, name, nullptr, nullptr, nullptr, &size) == static_cast<LONG>(ERROR_SUCCESS);
    RegCloseKey(k);
    return found;
  }
  ScratchDir dir_;
  std::string saved_;
};

TEST_F(SettingsTest, AFreshProfileGetsTheDefaultsAndTheKey) {
  settings().UseAutoSort = true;
  settings().MinTextFileSize = 1;
  LoadSettings();
  const Settings& s = settings();
  EXPECT_FALSE(s.UseAutoSort);
  EXPECT_TRUE(s.ShowEmptyFolders && s.ShowRecoveryChanses && s.SameDriveWarn && s.ShowWizardOnStartUp && s.ScanRecycleBin);
  EXPECT_EQ(s.MinTextFileSize, 800);
  EXPECT_EQ(s.MinTiffFileSize, 8192);
  EXPECT_TRUE(s.RestoreFolder.empty());
  EXPECT_FALSE(s.ExactLengths) << "the classic length rules stay the default";
  HKEY k = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &k), static_cast<LONG>(ERROR_SUCCESS));
  RegCloseKey(k);
}

TEST_F(SettingsTest, StoredNumbersAreReadAsTheUserSetThem) {
  setDword(u"UseAutoSort", 5);
  setDword(u"ShowEmptyFolders", 0);
  setDword(u"MinTextFileSize", 2000);
  LoadSettings();
  EXPECT_TRUE(settings().UseAutoSort) << "any number but zero is true";
  EXPECT_FALSE(settings().ShowEmptyFolders);
  EXPECT_EQ(settings().MinTextFileSize, 2000);
  HKEY k = key();
  RegDeleteValueW(k, u"MinTextFileSize");
  RegCloseKey(k);
  LoadSettings();
  EXPECT_EQ(settings().MinTextFileSize, 800);
}

// The text recogniser takes its minimum from the record that the load filled.
TEST_F(SettingsTest, AStoredMinimumTextSizeIsWhatTheTextRecogniserRequires) {
  setDword(u"MinTextFileSize", 2000);
  LoadSettings();
  auto textRun = [](std::size_t n) {
    std::vector<std::uint8_t> b(n + 1, 0);  // the run, then a byte that is not text
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i % 61 == 60 ? '\n' : 'a' + i % 26);
    return b;
  };
  FeedOptions clusters;
  clusters.unitSize = 4096;  // the start test looks no further than the units it is given
  for (std::size_t length : {1999u, 2000u}) {
    CTextDoc text;
    feedUnits(text, textRun(length), clusters);
    EXPECT_EQ(text.resultsOf(0).size(), length >= 2000 ? 1u : 0u) << length;
  }
}

TEST_F(SettingsTest, SavingWritesEightValuesAndNeverTheMinimumSizes) {
  LoadSettings();
  settings().SameDriveWarn = false;
  settings().ExactLengths = true;
  settings().RestoreFolder = u"/home/用户/恢复";
  SaveSettings();
  for (const char16_t* name : {u"SameDriveWarn", u"ShowEmptyFolders", u"ShowRecoveryChanses", u"UseAutoSort",
                               u"ShowWizardOnStartUp", u"ScanRecycleBin", u"RestoreFolder", u"ExactLengths"})
    EXPECT_TRUE(hasValue(name)) << std::string(name, name + 4);
  EXPECT_FALSE(hasValue(u"MinTextFileSize"));
  EXPECT_FALSE(hasValue(u"MinTiffFileSize"));

  HKEY k = key();
  DWORD type = 0, size = 0;
  RegQueryValueExW(k, u"RestoreFolder", nullptr, &type, nullptr, &size);
  RegCloseKey(k);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, settings().RestoreFolder.size() * 2) << "stored without its terminator";

  settings() = Settings{};
  LoadSettings();
  EXPECT_FALSE(settings().SameDriveWarn);
  EXPECT_TRUE(settings().ExactLengths);
  EXPECT_EQ(settings().RestoreFolder, u"/home/用户/恢复");
}

TEST_F(SettingsTest, AnOverLongRestoreFolderIsCutAtTheRecordsLimit) {
  std::u16string longFolder(300, u'x');
  HKEY k = key();
  RegSetValueExW(k, u"RestoreFolder", 0, REG_SZ, reinterpret_cast<const BYTE*>(longFolder.c_str()),
                 static_cast<DWORD>((longFolder.size() + 1) * 2));
  RegCloseKey(k);
  LoadSettings();
  EXPECT_EQ(settings().RestoreFolder.size(), kRestoreFolderMax);
}

TEST_F(SettingsTest, AStoreThatCannotBeWrittenLeavesTheDefaults) {
  writeWholeFile(dir_.file("blocker"), {});
  setenv("XDG_CONFIG_HOME", dir_.file("blocker").c_str(), 1);  // a file, not a folder
  settings().ScanRecycleBin = false;
  LoadSettings();
  EXPECT_TRUE(settings().ScanRecycleBin);
  SaveSettings();  // silent
}

}  // namespace
}  // namespace tarvosk::test
