// The diagnostic log, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "log/Log.h"
#include "platform/CodePage.h"
#include "support/TestSupport.h"

namespace tarvosk::test {
namespace {

class LogTest : public ::testing::Test {
 protected:
  void TearDown() override { LOG_SetFile(nullptr); }
  std::string contents() const {
    auto bytes = readWholeFile(dir_.file("tarvosk.log"));
    return std::string(bytes.begin(), bytes.end());
  }
  void open() { LOG_SetFile(utf8ToUtf16(dir_.file("tarvosk.log")).c_str()); }
  ScratchDir dir_;
};

TEST_F(LogTest, ALineIsModuleLevelTwoBlanksMessageAndCrLf) {
  open();
  ASSERT_TRUE(LOG_IsOpen());
  LOG_Write(g_logRAW, INFO, u"RAW_OpenDevice(%d)", 0);
  LOG_Write(g_logFAT, ERROR, u"FAT_OpenDevice(%c): read failed with code %d", u'C', 23);
  LOG_Write(g_logNTFS, WARNING, u"%I64d %S", -5000000000ll, "narrow");
  EXPECT_EQ(contents(),
            " RAW INFO  RAW_OpenDevice(0)\r\n"
            " FAT ERROR  FAT_OpenDevice(C): read failed with code 23\r\n"
            " NTFS WARNING  -5000000000 narrow\r\n");
}

TEST_F(LogTest, ChineseTextIsWrittenInTheAnsiCodePage) {
  open();
  LOG_Write(g_logAPP, INFO, u"%s", u"中文");
  // 中 is D6 D0 and 文 is CE C4 in GBK.
  EXPECT_EQ(contents(), " APP INFO  \xD6\xD0\xCE\xC4\r\n");
}

TEST_F(LogTest, AnOverLongMessageIsCutAndTheLineStillEnds) {
  open();
  std::u16string longText(5000, u'x');
  LOG_Write(g_logAPP, INFO, u"%s", longText);
  LOG_Write(g_logAPP, INFO, u"next");
  std::string log = contents();
  auto firstEnd = log.find("\r\n");
  ASSERT_NE(firstEnd, std::string::npos);
  EXPECT_EQ(firstEnd + 2, LOG_LINE_UNITS - 1) << "the line fills its buffer, terminator aside";
  EXPECT_EQ(log.substr(0, 12), " APP INFO  x");
  EXPECT_EQ(log.substr(firstEnd), "\r\n APP INFO  next\r\n");
}

TEST_F(LogTest, NothingIsWrittenOrCreatedWhileLoggingIsOff) {
  LOG_SetFile(nullptr);
  LOG_Write(g_logRAW, INFO, u"RAW_OpenDevice(%d)", 0);
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));
  EXPECT_FALSE(LOG_IsOpen());
}

TEST_F(LogTest, SettingTheFileAgainStartsANewLog) {
  open();
  LOG_Write(g_logRAW, INFO, u"first");
  open();
  LOG_Write(g_logRAW, INFO, u"second");
  EXPECT_EQ(contents(), " RAW INFO  second\r\n");
  EXPECT_TRUE(LOG_PathChosen());
  EXPECT_EQ(std::u16string(LOG_GetPath()), utf8ToUtf16(dir_.file("tarvosk.log")));
  LOG_SetFile(nullptr);
  LOG_Write(g_logRAW, INFO, u"third");
  EXPECT_EQ(contents(), " RAW INFO  second\r\n") << "a closed log takes nothing";
}

TEST_F(LogTest, AFileThatCannotBeCreatedLeavesLoggingOff) {
  EXPECT_TRUE(LOG_SetFile(utf8ToUtf16(dir_.file("no/such/folder/x.log")).c_str()));
  EXPECT_FALSE(LOG_IsOpen());
  LOG_Write(g_logRAW, INFO, u"lost");
}

TEST_F(LogTest, NullModulesAndUnknownLevelsWriteNothing) {
  open();
  LOG_Write(nullptr, INFO, u"no module");
  LOG_Write(g_logRAW, 32, u"level out of range");
  LOG_Write(g_logRAW, 7, u"level never registered");
  LOG_Write(g_logRAW, -1, u"negative level");
  EXPECT_EQ(contents(), "");
}

TEST(LogModules, StartUpCreatesFourModulesWithThreeLevelsEach) {
  EXPECT_EQ(INFO, 0);
  EXPECT_EQ(WARNING, 1);
  EXPECT_EQ(ERROR, 2);
  for (LogModule* m : {g_logNTFS, g_logFAT, g_logRAW, g_logAPP}) {
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->formatFlags, 0x3F0u);
    EXPECT_EQ(m->enabled[0] + m->enabled[1] + m->enabled[2], 3);
    EXPECT_EQ(m->enabled[3], 0);
  }
  EXPECT_EQ(LOG_GetModule(u"RAW"), g_logRAW);
  EXPECT_EQ(g_logNTFS->name, u"NTFS");
  LogModule* fresh = LOG_GetModule(u"TEST");
  EXPECT_EQ(LOG_GetModule(u"TEST"), fresh);
  EXPECT_NE(LOG_GetModule(u"test"), fresh) << "module names are case-sensitive";
  EXPECT_EQ(fresh->enabled[2], 1);
}

TEST(LogModules, EnablingALevelSaysWhatItDid) {
  LogModule* m = LOG_GetModule(u"ENABLE");
  EXPECT_EQ(std::u16string(LOG_EnableLevel(m, u"ERROR")), u"启用日志级别 ERROR 对于模块 ENABLE");
  EXPECT_EQ(std::u16string(LOG_EnableLevel(m, u"DEBUG")), u"级别 DEBUG 不存在");
  EXPECT_EQ(std::u16string(LOG_EnableLevel(m, u"error")), u"级别 error 不存在") << "level names match exactly";
  EXPECT_EQ(std::u16string(LOG_EnableLevel(m, u"INF")), u"级别 INF 不存在");
}

}  // namespace
}  // namespace tarvosk::test
