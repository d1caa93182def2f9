#include "platform/UiPorts.h"

#include <gtest/gtest.h>

#include "support/FakeUi.h"

namespace tarvosk {
namespace {

using test::FakeProgress;
using test::FakeUi;

// ---- The quiet default ---------------------------------------------------------------------

TEST(QuietUserInterface, AnswersWhatChangesNothing) {
  UserInterface& ui = userInterface();
  EXPECT_EQ(ui.messageBox(u"text", kProgramTitle, MB_OK | MB_ICONERROR), IDOK);
  EXPECT_EQ(ui.messageBox(u"text", kProgramTitle, MB_OKCANCEL), IDOK);
  EXPECT_EQ(ui.messageBox(u"text", kProgramTitle, MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(ui.messageBox(u"text", kProgramTitle, MB_YESNOCANCEL), IDNO);
  EXPECT_EQ(ui.askOverwrite(u"a.txt"), OverwriteAnswer::No);
  std::u16string chosen = u"unchanged";
  EXPECT_FALSE(ui.browseForFolder(u"title", u"/tmp", chosen));
  EXPECT_EQ(chosen, u"unchanged");
}

// ---- Installing and restoring --------------------------------------------------------------

TEST(FakeUiInstall, InstallsForItsLifetimeAndRestoresNested) {
  UserInterface* quiet = &userInterface();
  {
    FakeUi outer;
    EXPECT_EQ(&userInterface(), &outer);
    {
      FakeUi inner;
      EXPECT_EQ(&userInterface(), &inner);
    }
    EXPECT_EQ(&userInterface(), &outer);
  }
  EXPECT_EQ(&userInterface(), quiet);
}

// ---- Recording and scripting ---------------------------------------------------------------

TEST(FakeUiScript, RecordsCallsAndAnswersFromQueuesThenDefaults) {
  FakeUi ui;
  ui.queueMessageBoxResult(IDYES);
  ui.queueOverwriteAnswer(OverwriteAnswer::YesToAll);
  ui.queueFolderChoice(u"/srv/恢复");
  ui.queueFolderChoice(std::nullopt);

  EXPECT_EQ(userInterface().messageBox(u"无法打开驱动器 C:", kProgramTitle, MB_ICONEXCLAMATION),
            IDYES);
  EXPECT_EQ(userInterface().messageBox(u"继续?", kProgramTitle, MB_YESNO), IDNO);
  EXPECT_EQ(userInterface().askOverwrite(u"D:\\out\\\"a\".txt\n"), OverwriteAnswer::YesToAll);
  EXPECT_EQ(userInterface().askOverwrite(u"b"), OverwriteAnswer::No);
  std::u16string chosen;
  EXPECT_TRUE(userInterface().browseForFolder(u"选择文件夹", u"/home", chosen));
  EXPECT_EQ(chosen, u"/srv/恢复");
  EXPECT_FALSE(userInterface().browseForFolder(u"选择文件夹", u"/home", chosen));

  const std::vector<std::string> expected = {
      "messageBox(\"无法打开驱动器 C:\", \"Tarvosk\", 0x30)",
      "messageBox(\"继续?\", \"Tarvosk\", 0x4)",
      "askOverwrite(\"D:\\out\\\\\"a\\\".txt\\n\")",
      "askOverwrite(\"b\")",
      "browseForFolder(\"选择文件夹\", \"/home\")",
      "browseForFolder(\"选择文件夹\", \"/home\")",
  };
  EXPECT_EQ(ui.calls(), expected);
  EXPECT_EQ(ui.countCalls("messageBox("), 2u);
}

TEST(FakeUiScript, DefaultsCanBeChanged) {
  FakeUi ui;
  ui.setDefaultMessageBoxResult(IDCANCEL);
  ui.setDefaultOverwriteAnswer(OverwriteAnswer::Yes);
  ui.setDefaultFolderChoice(u"/out");
  EXPECT_EQ(ui.messageBox(u"x", u"y", MB_OK), IDCANCEL);
  EXPECT_EQ(ui.askOverwrite(u"x"), OverwriteAnswer::Yes);
  std::u16string chosen;
  EXPECT_TRUE(ui.browseForFolder(u"t", u"", chosen));
  EXPECT_EQ(chosen, u"/out");
}

TEST(FakeProgressScript, CancelsDuringTheChosenPump) {
  FakeProgress progress;
  progress.setRange(0, 100);
  progress.cancelAfterPumps(3);
  int pumpsUntilCancel = 0;
  for (int position = 0; position <= 100 && !progress.cancelled(); position += 20) {
    progress.setPosition(position);
    progress.pumpOneMessage();
    ++pumpsUntilCancel;
  }
  EXPECT_EQ(pumpsUntilCancel, 3);
  EXPECT_EQ(progress.pumps(), 3);
  EXPECT_EQ(progress.position(), 40);
  EXPECT_EQ(progress.countCalls("setPosition("), 3u);
  EXPECT_EQ(progress.calls()[0], "setRange(0, 100)");
  EXPECT_EQ(progress.calls()[3], "pumpOneMessage");
  EXPECT_EQ(progress.calls()[8], "setPosition(40)");
}

TEST(FakeProgressScript, RecordsTextAndClose) {
  FakeProgress progress;
  progress.setTitle(u"扫描");
  progress.setText(u"正在读取 \"C:\"");
  progress.pumpAllMessages();
  progress.close();
  EXPECT_FALSE(progress.cancelled());
  const std::vector<std::string> expected = {"setTitle(\"扫描\")", "setText(\"正在读取 \\\"C:\\\"\")",
                                             "pumpAllMessages", "close", "cancelled"};
  EXPECT_EQ(progress.calls(), expected);
  EXPECT_EQ(progress.text(), u"正在读取 \"C:\"");
  EXPECT_TRUE(progress.closed());
  EXPECT_EQ(progress.pumps(), 1);
}

}  // namespace
}  // namespace tarvosk
