// The pieces of the recovery engine: output names, output files and the overwrite prompt,
// contiguous copies, recycle-bin copies.
#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "recover/ContiguousCopy.h"
#include "recover/OutputName.h"
#include "recover/RecycleBinCopy.h"
#include "support/FakeUi.h"
#include "support/TestSupport.h"

namespace tarvosk {
namespace {

TEST(OutputName, HostileNamesStayInsideTheTargetFolder) {
  EXPECT_EQ(safeOutputName(u"?ETTER.TXT").name, u"_ETTER.TXT");
  EXPECT_FALSE(safeOutputName(u"?ETTER.TXT").changed) << "the lost first letter is the usual case";
  EXPECT_EQ(safeOutputName(u"report.doc").name, u"report.doc");
  EXPECT_FALSE(safeOutputName(u"报告.doc").changed);
  for (const char16_t* hostile : {u"..\\..\\etc\\passwd", u"../x", u"a/b", u"c:evil", u"tab\there", u"new\nline"}) {
    OutputName n = safeOutputName(hostile);
    EXPECT_EQ(n.name.find_first_of(u"\\/:\t\n"), std::u16string::npos) << std::string(n.name.begin(), n.name.end());
    EXPECT_TRUE(n.changed);
  }
  EXPECT_EQ(safeOutputName(u"..").name, u"_..");
  EXPECT_EQ(safeOutputName(u".").name, u"_.");
  EXPECT_EQ(safeOutputName(u"").name, u"_");
  EXPECT_EQ(joinOutputPath(u"/out", u"a"), u"/out\\a");
  EXPECT_EQ(joinOutputPath(u"/out/", u"a"), u"/out/a");
}

class RecoveryPiecesTest : public ::testing::Test {
 protected:
  std::u16string path(const std::string& name) { return utf8ToUtf16(dir.file(name)); }
  test::ScratchDir dir;
  test::FakeUi ui;
  test::FakeProgress progress;
  RecoveryJob job;
  void SetUp() override { job.window = &progress; }
};

TEST_F(RecoveryPiecesTest, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
  test::writeWholeFile(dir.file("a.txt"), {'o', 'l', 'd'});
  HANDLE file = INVALID_HANDLE_VALUE;
  ui.queueOverwriteAnswer(OverwriteAnswer::No);
  EXPECT_EQ(createOutputFile(job, path("a.txt"), u"a.txt", file), OutputCreation::Declined);
  EXPECT_EQ(job.log, u"Failed\r\n");
  EXPECT_EQ(test::readWholeFile(dir.file("a.txt")).size(), 3u) << "left untouched";

  ui.queueOverwriteAnswer(OverwriteAnswer::YesToAll);
  ASSERT_EQ(createOutputFile(job, path("a.txt"), u"a.txt", file), OutputCreation::Created);
  CloseHandle(file);
  EXPECT_TRUE(job.yesToAll);
  EXPECT_EQ(test::readWholeFile(dir.file("a.txt")).size(), 0u);
  std::size_t asked = ui.countCalls("askOverwrite");
  ASSERT_EQ(createOutputFile(job, path("a.txt"), u"a.txt", file), OutputCreation::Created);
  CloseHandle(file);
  EXPECT_EQ(ui.countCalls("askOverwrite"), asked) << "yes to all asks no more";
  EXPECT_NE(ui.calls().front().find("文件“a.txt”已经存在。是否覆盖？"), std::string::npos);
}

TEST_F(RecoveryPiecesTest, AFailedCreationIsReportedInTheModeOfTheJob) {
  HANDLE file = INVALID_HANDLE_VALUE;
  job.batch = true;
  EXPECT_EQ(createOutputFile(job, path("no/such/folder/x"), u"x", file), OutputCreation::Failed);
  EXPECT_EQ(job.log, u"失败于错误 \"系统找不到指定的路径。\r\n\"\r\n");
  job.batch = false;
  job.log.clear();
  EXPECT_EQ(createOutputFile(job, path("no/such/folder/x"), u"x", file), OutputCreation::Failed);
  EXPECT_TRUE(job.log.empty());
  EXPECT_EQ(ui.countCalls("messageBox"), 1u);
}

// Units whose bytes are their own number, some of them unreadable.
class NumberedUnits : public DriveUnits {
 public:
  explicit NumberedUnits(std::uint32_t size) : size_(size) {}
  std::uint32_t unitSize() const override { return size_; }
  bool isFree(std::uint64_t) override { return true; }
  bool read(std::uint64_t unit, std::uint32_t count, std::uint8_t* buffer) override {
    ++reads;
    for (std::uint64_t n = unit; n < unit + count; ++n, buffer += size_) {
      unitsRead.push_back(n);
      if (n == badUnit) return false;
      std::fill(buffer, buffer + size_, static_cast<std::uint8_t>(n));
    }
    return true;
  }
  int reads = 0;
  std::vector<std::uint64_t> unitsRead;
  std::uint64_t badUnit = ~0ull;

 private:
  std::uint32_t size_;
};

TEST_F(RecoveryPiecesTest, ContiguousUnitsAreCutToTheFileSize) {
  NumberedUnits units(4096);
  HANDLE out = CreateFileW(path("f.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  EXPECT_EQ(copyContiguousUnits(units, 40, 10000, nullptr, out, job), CopyOutcome::Complete);
  CloseHandle(out);
  EXPECT_EQ(units.unitsRead, (std::vector<std::uint64_t>{40, 41, 42}));
  EXPECT_EQ(units.reads, 2) << "the first unit, then the stretch up to the next poll";
  auto bytes = test::readWholeFile(dir.file("f.bin"));
  ASSERT_EQ(bytes.size(), 4096u + 4096u + 1808u);
  EXPECT_EQ(bytes[0], 40);
  EXPECT_EQ(bytes[9999], 42);
  EXPECT_EQ(job.progress, 10000u);
}

TEST_F(RecoveryPiecesTest, ASelectionSkipsUnitsButCountsThem) {
  NumberedUnits units(512);
  HANDLE out = CreateFileW(path("s.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  std::vector<std::uint64_t> selection{11};
  EXPECT_EQ(copyContiguousUnits(units, 10, 1536, &selection, out, job), CopyOutcome::Complete);
  CloseHandle(out);
  EXPECT_EQ(units.unitsRead, std::vector<std::uint64_t>{11});
  EXPECT_EQ(test::readWholeFile(dir.file("s.bin")).size(), 512u);
}

TEST_F(RecoveryPiecesTest, AReadFailureOrACancelEndsTheCopy) {
  NumberedUnits units(512);
  units.badUnit = 12;
  HANDLE out = CreateFileW(path("r.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  EXPECT_EQ(copyContiguousUnits(units, 10, 5000, nullptr, out, job), CopyOutcome::Incomplete);
  CloseHandle(out);
  EXPECT_EQ(test::readWholeFile(dir.file("r.bin")).size(), 512u) << "the stretch with the bad unit writes nothing";
  NumberedUnits more(512);
  progress.cancelAfterPumps(1);
  out = CreateFileW(path("c.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  EXPECT_EQ(copyContiguousUnits(more, 0, 512 * 100, nullptr, out, job), CopyOutcome::Cancelled);
  CloseHandle(out);
  EXPECT_EQ(more.unitsRead.size(), 1u) << "the first poll comes after the first unit";
}

}  // namespace
}  // namespace tarvosk
