// The undelete job: choosing the target folder (the same-drive warning, strings 140, 143 and 10,
// RestoreFolder), the bar's scale, batch mode and the error list, on volumes made by mtools.
#include <cstdlib>
#include <filesystem>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "recover/OutputName.h"
#include "recover/RecoveryJobFlow.h"
#include "recover/ScannedImageTest.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "settings/Settings.h"

namespace tarvosk::test {
namespace {

// The front end's part: the copy runs under the scripted progress window.
class RecordingFront : public RecoveryJobFront {
 public:
  explicit RecordingFront(FakeProgress& progress) : progress_(progress) {}
  bool underProgress(const std::function<bool(ProgressWindow&)>& copy) override {
    ++jobs;
    return copy(progress_);
  }
  void showErrorList(const std::u16string& log) override { errorLists.push_back(utf16ToUtf8(log)); }
  int jobs = 0;
  std::vector<std::string> errorLists;

 private:
  FakeProgress& progress_;
};

class RecoveryJobFlowTest : public ScannedImageTest {
 protected:
  void SetUp() override {
    ScannedImageTest::SetUp();
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) savedConfig_ = old;
    setenv("XDG_CONFIG_HOME", config_.path().c_str(), 1);
    settings() = Settings{};
  }
  void TearDown() override {
    if (savedConfig_.empty()) unsetenv("XDG_CONFIG_HOME");
    else setenv("XDG_CONFIG_HOME", savedConfig_.c_str(), 1);
    settings() = Settings{};
    ScannedImageTest::TearDown();
  }
  std::u16string target() const { return utf8ToUtf16(out.path().string()); }
  static JobEntry job(DriveFileList& list, const std::string& path) { return {&list, &mustFind(list, path)}; }
  static std::string message(unsigned id, const char* type) {
    return "messageBox(" + quotedForCalls(std::u16string(loadString(id))) + ", \"Tarvosk\", " + type + ")";
  }
  // Where an entry comes back in the target folder (a deleted 8.3 name's lost letter as "_").
  std::string outputOf(DriveFileList& list, const std::string& path, const std::string& folder = "") const {
    return out.file(folder + utf16ToUtf8(safeOutputName(mustFind(list, path).name.str()).name));
  }
  bool called(const std::string& call) const {
    return std::find(ui.calls().begin(), ui.calls().end(), call) != ui.calls().end();
  }

  ScratchDir out;
  RecordingFront front{progress};

 private:
  ScratchDir config_;
  std::string savedConfig_;
};

TEST(RecoveryJobScale, TheBarStaysWithin32767) {
  const std::pair<std::uint64_t, int> cases[] = {
      {0, 0}, {32767, 0}, {32768, 1}, {65535, 1}, {65536, 2}, {100000, 2}, {1ull << 40, 26}, {~0ull, 49}};
  for (auto [total, shift] : cases) {
    EXPECT_EQ(progressShiftFor(total), shift) << total;
    EXPECT_LE(total >> progressShiftFor(total), 32767u) << total;
  }
}

TEST_F(RecoveryJobFlowTest, AFileForItsOwnDriveIsWarnedAboutAndNoBrowsesAgainForAnotherFolder) {
  DriveFileList& list = scan("recover-fat16.img");
  ui.queueFolderChoice(u"C:\\KEEP");      // a folder on the drive that holds the file
  ui.queueMessageBoxResult(IDNO);
  ui.queueFolderChoice(target());
  runRecoveryJob(front, {job(list, "r5000.bin")});

  const std::vector<std::string> expected = {
      "browseForFolder(\"请选择您想要放置恢复文件的文件夹\", \"\")",
      message(res::IDS_SAME_DRIVE_WARNING, "0x34"),
      "browseForFolder(\"请选取一个不同的文件夹\", \"C:\\KEEP\")",
  };
  ASSERT_GE(ui.calls().size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(ui.calls().begin(), ui.calls().begin() + 3), expected);
  EXPECT_EQ(readWholeFile(outputOf(list, "r5000.bin")), original("r5000.bin"));
  EXPECT_EQ(settings().RestoreFolder, target()) << "the last folder chosen is remembered";
  EXPECT_TRUE(front.errorLists.empty());

  // The next job starts the browser there; a folder of another drive draws no warning.
  ui.clearCalls();
  ui.queueFolderChoice(target());
  runRecoveryJob(front, {job(list, "r511.bin")});
  EXPECT_EQ(ui.calls().front(), "browseForFolder(\"请选择您想要放置恢复文件的文件夹\", \"" + out.path().string() + "\")");
  EXPECT_EQ(ui.countCalls("messageBox("), 0u);
}

TEST_F(RecoveryJobFlowTest, OnlyTheFirstEntryOfTheSelectionDecidesTheWarning) {
  DriveFileList& c = scan("recover-fat16.img");
  DriveFileList& d = scan("recover-fat12.img");
  ASSERT_EQ(d.Lookup(ROOT_ENTRY_ID).driveLetter, u'D');
  ui.queueFolderChoice(u"C:\\KEEP");
  runRecoveryJob(front, {job(d, "r511.bin"), job(c, "r512.bin")});
  EXPECT_FALSE(called(message(res::IDS_SAME_DRIVE_WARNING, "0x34")));
  EXPECT_EQ(front.jobs, 1);

  // With the warning switched off, the own drive is taken at once.
  settings().SameDriveWarn = false;
  ui.clearCalls();
  ui.queueFolderChoice(u"C:\\KEEP");
  runRecoveryJob(front, {job(c, "r512.bin")});
  EXPECT_EQ(ui.countCalls("browseForFolder("), 1u);
  EXPECT_FALSE(called(message(res::IDS_SAME_DRIVE_WARNING, "0x34")));
}

TEST_F(RecoveryJobFlowTest, NoUsableFolderRecoversNothing) {
  DriveFileList& list = scan("recover-fat16.img");
  ui.setFolderBrowserAvailable(false);
  runRecoveryJob(front, {job(list, "r5000.bin")});
  EXPECT_TRUE(called(message(res::IDS_FOLDER_PICKER_FAILED, "0x30")));
  ui.setFolderBrowserAvailable(true);
  writeWholeFile(out.file("not a folder"), {'x'});
  ui.queueFolderChoice(utf8ToUtf16(out.file("not a folder")));
  runRecoveryJob(front, {job(list, "r5000.bin")});
  EXPECT_TRUE(called(message(res::IDS_INVALID_FOLDER_CHOSEN, "0x30")));
  ui.queueFolderChoice(std::nullopt);
  runRecoveryJob(front, {job(list, "r5000.bin")});
  runRecoveryJob(front, {});
  EXPECT_EQ(front.jobs, 0);
  EXPECT_TRUE(settings().RestoreFolder.empty());
}

TEST_F(RecoveryJobFlowTest, ABatchWithAFailureShowsTheLogAndASingleFileABox) {
  DriveFileList& list = scan("recover-fat16.img");
  // A folder where the second file's output should go: replacing it cannot work.
  std::filesystem::create_directory(outputOf(list, "r512.bin"));
  ui.setDefaultFolderChoice(target());
  ui.setDefaultOverwriteAnswer(OverwriteAnswer::Yes);
  runRecoveryJob(front, {job(list, "r511.bin"), job(list, "r512.bin")});
  ASSERT_EQ(front.errorLists.size(), 1u);
  const std::string& log = front.errorLists.front();
  const std::string first = utf16ToUtf8(mustFind(list, "r511.bin").name.str());
  const std::string second = utf16ToUtf8(mustFind(list, "r512.bin").name.str());
  EXPECT_EQ(log.substr(0, log.find(second)), "File " + first + ": Succeeded\r\nFile ");
  EXPECT_NE(log.find(second + ": 失败于错误 \""), std::string::npos) << log;
  EXPECT_EQ(readWholeFile(outputOf(list, "r511.bin")), original("r511.bin"));

  ui.clearCalls();
  runRecoveryJob(front, {job(list, "r512.bin")});
  EXPECT_EQ(front.errorLists.size(), 1u) << "a single file shows no list";
  EXPECT_EQ(ui.countCalls("messageBox("), 1u);
}

TEST_F(RecoveryJobFlowTest, YesToAllLastsOneJob) {
  DriveFileList& list = scan("recover-fat16.img");
  for (const char* name : {"r511.bin", "r512.bin", "r513.bin"}) writeWholeFile(outputOf(list, name), {'o', 'l', 'd'});
  ui.setDefaultFolderChoice(target());
  ui.queueOverwriteAnswer(OverwriteAnswer::YesToAll);
  runRecoveryJob(front, {job(list, "r511.bin"), job(list, "r512.bin")});
  EXPECT_EQ(ui.countCalls("askOverwrite("), 1u);
  EXPECT_EQ(readWholeFile(outputOf(list, "r512.bin")), original("r512.bin"));
  runRecoveryJob(front, {job(list, "r513.bin")});
  EXPECT_EQ(ui.countCalls("askOverwrite("), 2u) << "a new job asks again";
  EXPECT_EQ(readWholeFile(outputOf(list, "r513.bin")).size(), 3u) << "no (the default) keeps the file";
}

TEST_F(RecoveryJobFlowTest, TheTreesLiveFolderComesBackWithItsDeletedFilesAndTheBarCountsOnlyThem) {
  DriveFileList& list = scan("recover-fat16.img");
  JobSelection selection;
  selection.treeHasFocus = true;
  selection.treeNodeHasEntry = true;
  selection.treeDriveCharacter = u'C';
  selection.treeEntryId = mustFind(list, "KEEP").id;
  selection.viewSelection = {&mustFind(list, "r5000.bin")};  // not asked while the tree has the focus
  std::vector<JobEntry> entries = collectJobEntries(lists, selection);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_TRUE(isBatchJob(entries));
  // inner.bin and deep.txt; LIVE.TXT is still there and is not recovered.
  EXPECT_EQ(recoverableBytes(list, *entries[0].entry), 5000u + original("hello.txt").size());
  ui.setDefaultFolderChoice(target());
  runRecoveryJob(front, entries);
  EXPECT_EQ(progress.high(), 5025);
  EXPECT_EQ(readWholeFile(outputOf(list, "KEEP/inner.bin", "KEEP/")), original("r5000.bin"));
  EXPECT_EQ(readWholeFile(outputOf(list, "KEEP/SUB/deep.txt", "KEEP/SUB/")), original("hello.txt"));
  EXPECT_FALSE(std::filesystem::exists(out.path() / "KEEP" / "LIVE.TXT"));

  selection.treeHasFocus = false;
  entries = collectJobEntries(lists, selection);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].entry->name.str(), mustFind(list, "r5000.bin").name.str());
  EXPECT_FALSE(isBatchJob(entries));
}

}  // namespace
}  // namespace tarvosk::test
