// The NTFS module's log lines: traces, failures with their context, exactly as written.
#include <gtest/gtest.h>

#include "log/Log.h"
#include "ntfs/Attribute.h"
#include "ntfs/NtfsImageBuilder.h"
#include "ntfs/NtfsTestVolume.h"
#include "platform/CodePage.h"

using namespace tarvosk;
using namespace tarvosk::test;

namespace {

class NtfsLogTest : public NtfsVolumeTest {
 protected:
  void SetUp() override {
    NtfsVolumeTest::SetUp();
    logPath_ = scratch_.file("tarvosk.log");
    LOG_SetFile(utf8ToUtf16(logPath_).c_str());
  }
  void TearDown() override {
    LOG_SetFile(nullptr);
    NtfsVolumeTest::TearDown();
  }
  std::string logText() {
    LOG_SetFile(nullptr);
    std::vector<std::uint8_t> bytes = readWholeFile(logPath_);
    return std::string(bytes.begin(), bytes.end());
  }
  std::string logPath_;
};

}  // namespace

TEST_F(NtfsLogTest, OpenOfAMissingDriveSaysWhichStepFailed) {
  EXPECT_EQ(open(u'Q'), 0xFFFFu);
  std::string log = logText();
  EXPECT_NE(log.find(" NTFS INFO  OpenMFT(Q:)\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" NTFS ERROR  ReadNTFSBootBlock(handle=0x"), std::string::npos);
  EXPECT_NE(log.find("GetDiskFreeSpace() failed with code 3\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" NTFS ERROR  OpenMFT(Q:): ReadNTFSBootBlock() failed\r\n"), std::string::npos);
}

TEST_F(NtfsLogTest, OpenTracesTheBootBlockAndTheMftRuns) {
  WCHAR letter = attachBytes(simpleVolume(4096, 1024, 0xF6, 128, 32));
  ASSERT_LT(open(letter), 100u);
  std::string log = logText();
  std::string drive(1, static_cast<char>(letter));
  EXPECT_NE(log.find("OpenMFT(" + drive + ":): boot block signature is NTFS, ClustersPerMFTRecord=246\r\n"), std::string::npos)
      << log;
  EXPECT_NE(log.find("): MFTRunListSize=1\r\n"), std::string::npos);
  EXPECT_NE(log.find("): record size=1024, cluster size=4096\r\n"), std::string::npos);
}

TEST_F(NtfsLogTest, FullTableAndMissingAttributeAreLogged) {
  WCHAR letter = attachBytes(simpleVolume(4096, 1024, 0xF6, 128, 32));
  for (int i = 0; i < 100; ++i) ASSERT_LT(open(letter), 100u);
  EXPECT_EQ(open(letter), 0xFFFFu);
  std::vector<std::uint8_t> r = RecordBuilder().fileName(5, u"x", 1).build();
  ByteSpan attr;
  EXPECT_EQ(FindAttribute(ByteSpan(r.data(), r.size()), 0x80, &attr), 1u);
  std::string log = logText();
  std::string drive(1, static_cast<char>(letter));
  EXPECT_NE(log.find(" NTFS ERROR  OpenMFT(" + drive + ":): FindFreeHandle() failed\r\n"), std::string::npos);
  EXPECT_NE(log.find(" NTFS WARNING  FindAttribute(handle=0x"), std::string::npos);
  EXPECT_NE(log.find("): failed to find attribute 128\r\n"), std::string::npos);
}

TEST_F(NtfsLogTest, DamagedRecordNamesTheRuleThatRefusedIt) {
  std::vector<std::uint8_t> bytes = simpleVolume(4096, 1024, 0xF6, 128, 32);
  std::size_t at = 4 * 4096 + 20 * 1024;
  bytes[at + 1022] ^= 0x5A;
  WCHAR letter = attachBytes(bytes);
  DWORD h = open(letter);
  ASSERT_LT(h, 100u);
  std::vector<BYTE> record(1024);
  EXPECT_EQ(GetMFTRecord(h, 20, record), 1u);
  std::string log = logText();
  EXPECT_NE(log.find("): record=20\r\n"), std::string::npos);
  EXPECT_NE(log.find("): sector signature doesn't match a fixup record\r\n"), std::string::npos) << log;
}
