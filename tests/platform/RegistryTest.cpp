#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/WinError.h"
#include "support/TestSupport.h"

namespace tarvosk {
namespace {

constexpr char16_t kKeyPath[] = u"Software\\Vaskorel\\Tarvosk";

// Each test gets its own config home in a scratch folder.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) oldConfigHome_ = old;
    pointConfigHomeAt(scratch_.file("config"));
  }
  void TearDown() override {
    for (HKEY key : open_) RegCloseKey(key);
    if (oldConfigHome_)
      setenv("XDG_CONFIG_HOME", oldConfigHome_->c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
  }

  void pointConfigHomeAt(const std::string& folder) {
    configHome_ = folder;
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  }
  std::string storeFile() const { return configHome_ + "/tarvosk/registry"; }
  std::string storeText() const {
    const auto bytes = test::readWholeFile(storeFile());
    return std::string(bytes.begin(), bytes.end());
  }
  void writeStore(const std::string& text, const std::string& name = "registry") {
    std::filesystem::create_directories(configHome_ + "/tarvosk");
    test::writeWholeFile(configHome_ + "/tarvosk/" + name,
                         std::vector<std::uint8_t>(text.begin(), text.end()));
  }

  HKEY create(const char16_t* path = kKeyPath) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, path, &key), ERROR_SUCCESS);
    open_.push_back(key);
    return key;
  }
  HKEY openKey(const char16_t* path = kKeyPath, REGSAM sam = KEY_READ | KEY_WRITE) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, sam, &key) != ERROR_SUCCESS) return nullptr;
    open_.push_back(key);
    return key;
  }
  void closeAll() {
    for (HKEY key : open_) EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    open_.clear();
  }

  static LONG setDword(HKEY key, const char16_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
  }
  static LONG setString(HKEY key, const char16_t* name, const std::u16string& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * 2));
  }
  static std::optional<DWORD> dword(HKEY key, const char16_t* name) {
    DWORD value = 0, type = REG_NONE, size = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != 4)
      return std::nullopt;
    return value;
  }
  static std::optional<std::u16string> string(HKEY key, const char16_t* name) {
    char16_t buffer[256];
    DWORD type = REG_NONE, size = sizeof buffer;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ || size < 2 || size % 2 != 0 || buffer[size / 2 - 1] != u'\0')
      return std::nullopt;
    return std::u16string(buffer, size / 2 - 1);
  }

  test::ScratchDir scratch_;
  std::string configHome_;
  std::optional<std::string> oldConfigHome_;
  std::vector<HKEY> open_;
};

// ---- Values last across sessions -----------------------------------------------------------

TEST_F(RegistryTest, DwordAndStringSurviveARestart) {
  HKEY key = create();
  ASSERT_EQ(setDword(key, u"ShowRecoveryChanses", 0xDEADBEEF), ERROR_SUCCESS);
  ASSERT_EQ(setString(key, u"LastFolder", u"D:\\恢复的文件\\照片"), ERROR_SUCCESS);
  closeAll();

  // Another config home has none of it: what comes back below comes from the file.
  const std::string home = configHome_;
  pointConfigHomeAt(scratch_.file("elsewhere"));
  EXPECT_EQ(openKey(), nullptr);
  pointConfigHomeAt(home);

  key = openKey();
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(dword(key, u"ShowRecoveryChanses"), 0xDEADBEEF);
  EXPECT_EQ(string(key, u"LastFolder"), u"D:\\恢复的文件\\照片");
  EXPECT_EQ(storeText().rfind("tarvosk-registry\t1\n", 0), 0u) << storeText();
}

TEST_F(RegistryTest, AwkwardNamesAndBytesSurviveARestart) {
  HKEY key = create(u"Software\\100% sure\\tab\there");
  const BYTE blob[] = {0x00, 0x25, 0x0A, 0xFF, 0x09, 0x20};
  ASSERT_EQ(RegSetValueExW(key, u"blob%\n", 0, REG_BINARY, blob, sizeof blob), ERROR_SUCCESS);
  ASSERT_EQ(setString(key, u"", u"ends in space, has\r\nbreaks and \U0001F600 "), ERROR_SUCCESS);
  const BYTE unterminated[] = {'A', 0, 'B'};  // not a well-formed string: kept byte for byte
  ASSERT_EQ(RegSetValueExW(key, u"odd", 0, REG_SZ, unterminated, sizeof unterminated),
            ERROR_SUCCESS);
  closeAll();

  key = openKey(u"software\\100% SURE\\TAB\there");
  ASSERT_NE(key, nullptr);
  BYTE buffer[16];
  DWORD type = 0, size = sizeof buffer;
  ASSERT_EQ(RegQueryValueExW(key, u"BLOB%\n", nullptr, &type, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(std::vector<BYTE>(buffer, buffer + size), std::vector<BYTE>(blob, blob + sizeof blob));
  EXPECT_EQ(string(key, nullptr), u"ends in space, has\r\nbreaks and \U0001F600 ");
  size = sizeof buffer;
  ASSERT_EQ(RegQueryValueExW(key, u"odd", nullptr, &type, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(std::vector<BYTE>(buffer, buffer + size),
            std::vector<BYTE>(unterminated, unterminated + sizeof unterminated));
}

TEST_F(RegistryTest, DeletedValueStaysDeleted) {
  HKEY key = create();
  ASSERT_EQ(setDword(key, u"Gone", 1), ERROR_SUCCESS);
  ASSERT_EQ(setDword(key, u"Kept", 2), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(key, u"GONE"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(key, u"Gone"), ERROR_FILE_NOT_FOUND);
  closeAll();
  key = openKey();
  EXPECT_FALSE(dword(key, u"Gone"));
  EXPECT_EQ(dword(key, u"Kept"), 2u);
}

// ---- Keys ----------------------------------------------------------------------------------

TEST_F(RegistryTest, CreateMakesMissingKeysAndWritesThem) {
  EXPECT_EQ(openKey(), nullptr);
  HKEY created = create();
  ASSERT_NE(created, nullptr);
  EXPECT_TRUE(std::filesystem::exists(storeFile()));
  closeAll();
  EXPECT_NE(openKey(u"Software"), nullptr);
  EXPECT_NE(openKey(u"Software\\Vaskorel"), nullptr);
  EXPECT_NE(openKey(), nullptr);
}

TEST_F(RegistryTest, OpeningAMissingKeyFails) {
  create(u"Software\\Vaskorel");
  HKEY key = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
}

TEST_F(RegistryTest, SubkeysOpenRelativeToAnOpenKey) {
  HKEY parent = create(u"Software\\Vaskorel");
  HKEY child = nullptr;
  ASSERT_EQ(RegCreateKeyW(parent, u"Tarvosk\\Settings", &child), ERROR_SUCCESS);
  open_.push_back(child);
  ASSERT_EQ(setDword(child, u"Depth", 3), ERROR_SUCCESS);
  EXPECT_EQ(dword(openKey(u"Software\\Vaskorel\\Tarvosk\\Settings"), u"Depth"), 3u);
}

TEST_F(RegistryTest, ClosedOrMadeUpHandlesAreRefused) {
  HKEY key = create();
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  open_.clear();
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(setDword(key, u"x", 1), ERROR_INVALID_HANDLE);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(reinterpret_cast<HKEY>(0x1234), u"x", nullptr, nullptr, nullptr,
                             &size),
            ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, ReadOnlyHandleCannotWrite) {
  HKEY key = create();
  ASSERT_EQ(setDword(key, u"Value", 1), ERROR_SUCCESS);
  HKEY reader = openKey(kKeyPath, KEY_READ);
  EXPECT_EQ(setDword(reader, u"Value", 2), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueW(reader, u"Value"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(dword(reader, u"Value"), 1u);
}

// ---- Names compare without case ------------------------------------------------------------

TEST_F(RegistryTest, KeyAndValueNamesIgnoreCaseAndKeepTheFirstSpelling) {
  HKEY key = create();
  ASSERT_EQ(setDword(key, u"LastFolder", 1), ERROR_SUCCESS);
  HKEY shouted = openKey(u"SOFTWARE\\vaskorel\\TARVOSK");
  ASSERT_NE(shouted, nullptr);
  EXPECT_EQ(dword(shouted, u"lastfolder"), 1u);
  ASSERT_EQ(setDword(shouted, u"LASTFOLDER", 2), ERROR_SUCCESS);
  EXPECT_EQ(dword(key, u"LastFolder"), 2u);

  const std::string text = storeText();
  EXPECT_NE(text.find("Software\\Vaskorel\\Tarvosk\tLastFolder\t"), std::string::npos) << text;
  EXPECT_EQ(text.find("LASTFOLDER"), std::string::npos) << text;
  EXPECT_EQ(text.find("TARVOSK"), std::string::npos) << text;
}

TEST_F(RegistryTest, NonAsciiNamesIgnoreCase) {
  HKEY key = create(u"Software\\Äpfel\\Папка");
  ASSERT_EQ(setDword(key, u"ΣΕΛΙΔΑ", 7), ERROR_SUCCESS);
  HKEY other = openKey(u"software\\äPFEL\\ПАПКА");
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(dword(other, u"σελιδα"), 7u);
  EXPECT_EQ(openKey(u"Software\\Apfel\\Папка"), nullptr);  // folding is not accent stripping
}

// ---- Query semantics -----------------------------------------------------------------------

TEST_F(RegistryTest, QueryReportsSizeAndAsksForMore) {
  HKEY key = create();
  ASSERT_EQ(setString(key, u"Name", u"中文名"), ERROR_SUCCESS);
  DWORD type = REG_NONE, size = 0;
  ASSERT_EQ(RegQueryValueExW(key, u"Name", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 8u);  // three characters and the terminator

  char16_t small[2] = {u'x', u'x'};
  size = sizeof small;
  type = REG_NONE;
  EXPECT_EQ(RegQueryValueExW(key, u"Name", nullptr, &type, reinterpret_cast<BYTE*>(small), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(type, REG_SZ);

  EXPECT_EQ(RegQueryValueExW(key, u"Missing", nullptr, &type, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, DwordOfTheWrongSizeIsRefused) {
  HKEY key = create();
  ASSERT_EQ(setDword(key, u"Count", 5), ERROR_SUCCESS);
  const BYTE three[3] = {1, 2, 3};
  EXPECT_EQ(RegSetValueExW(key, u"Count", 0, REG_DWORD, three, 3), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(dword(key, u"Count"), 5u);
}

// ---- A damaged or interrupted store --------------------------------------------------------

TEST_F(RegistryTest, InterruptedSaveLeavesTheOldStoreAndIsReplacedByTheNext) {
  HKEY key = create();
  ASSERT_EQ(setDword(key, u"Value", 1), ERROR_SUCCESS);
  closeAll();
  writeStore("tarvosk-registry\t1\nvalue\tSoftware\\Vaskorel\\Tarvosk\tValue\tREG_DW",
             "registry.tmp");

  key = openKey();
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(dword(key, u"Value"), 1u);
  ASSERT_EQ(setDword(key, u"Value", 2), ERROR_SUCCESS);
  EXPECT_FALSE(std::filesystem::exists(storeFile() + ".tmp"));
  closeAll();
  EXPECT_EQ(dword(openKey(), u"Value"), 2u);
}

TEST_F(RegistryTest, GarbledLinesAreSkipped) {
  writeStore(
      "tarvosk-registry\t1\n"
      "value\tSoftware\\Vaskorel\\Tarvosk\tBefore\tREG_DWORD\t0x0a\n"
      "value\tSoftware\\Vaskorel\\Tarvosk\tBadEscape\tREG_SZ\t50%Z\n"
      "value\tSoftware\\Vaskorel\\Tarvosk\tTooBig\tREG_DWORD\t4294967296\n"
      "value\tSoftware\\Vaskorel\\Tarvosk\tOddHex\tREG_BINARY\tabc\n"
      "value\tSoftware\\Vaskorel\\Tarvosk\tNoType\n"
      "value\tSoftware\\Vaskorel\\Tarvosk\tBadUtf8\tREG_SZ\t\xC3\x28\n"
      "\x01\x02\xFF\xFE garbage\n"
      "value\tSoftware\\Vaskorel\\Tarvosk\tAfter\tREG_SZ\tstill here\r\n");
  HKEY key = openKey();
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(dword(key, u"Before"), 10u);
  EXPECT_EQ(string(key, u"After"), u"still here");
  for (const char16_t* name : {u"BadEscape", u"TooBig", u"OddHex", u"NoType", u"BadUtf8"}) {
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND)
        << std::string(name, name + std::char_traits<char16_t>::length(name));
  }
}

TEST_F(RegistryTest, StoreOfPureGarbageLoadsEmpty) {
  std::string noise;
  for (int i = 0; i < 4096; ++i) noise += static_cast<char>((i * 7919) % 256);
  writeStore(noise);
  EXPECT_EQ(openKey(), nullptr);
  HKEY key = create();
  EXPECT_EQ(setDword(key, u"Fresh", 1), ERROR_SUCCESS);
}

// ---- Saving can fail -----------------------------------------------------------------------

TEST_F(RegistryTest, ConfigHomeBelowAFileCannotBeCreated) {
  test::writeWholeFile(scratch_.file("plain"), {'x'});
  pointConfigHomeAt(scratch_.file("plain") + "/config");
  HKEY key = reinterpret_cast<HKEY>(1);
  EXPECT_NE(RegCreateKeyW(HKEY_CURRENT_USER, kKeyPath, &key), ERROR_SUCCESS);
  EXPECT_EQ(key, nullptr);
}

TEST_F(RegistryTest, FailedSaveKeepsTheOldValue) {
  HKEY key = create();
  ASSERT_EQ(setDword(key, u"Value", 1), ERROR_SUCCESS);
  // The store's folder turns into a plain file: no folder can be made there.
  std::filesystem::remove_all(configHome_ + "/tarvosk");
  test::writeWholeFile(configHome_ + "/tarvosk", {'x'});

  EXPECT_NE(setDword(key, u"Value", 2), ERROR_SUCCESS);
  EXPECT_EQ(dword(key, u"Value"), 1u);
  EXPECT_NE(RegDeleteValueW(key, u"Value"), ERROR_SUCCESS);
  EXPECT_EQ(dword(key, u"Value"), 1u);
}

}  // namespace
}  // namespace tarvosk
