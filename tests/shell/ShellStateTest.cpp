// The main window's state without a window: command enabling, the navigation history and the
// drive list texts.
#include <gtest/gtest.h>

#include <string>

#include "res/CommandIds.h"
#include "shell/CommandRules.h"
#include "shell/DriveRows.h"
#include "shell/NavigationHistory.h"
#include "shell/ProgramArguments.h"

namespace tarvosk {
namespace {

using namespace res;

TEST(CommandRulesTest, EveryCommandFollowsItsRule) {
  SelectionState files;  // a folder shown, one deleted JPEG selected in the list
  files.activeView = ActiveView::FileList;
  files.treeNodeSelected = files.treeNodeHasRecord = files.treeNodeHasParent = true;
  files.selectedCount = files.selectedDeletedOrFolders = 1;
  files.onlySelectedIsDeletedFile = files.onlySelectedIsPicture = true;

  auto with = [](SelectionState s, auto change) {
    change(s);
    return s;
  };
  const SelectionState drives = with(files, [](auto& s) { s.activeView = ActiveView::LogicalDrives; });
  const SelectionState results = with(files, [](auto& s) { s.activeView = ActiveView::SearchResults; });
  const SelectionState physical = with(files, [](auto& s) { s.treeNodeOnPhysicalDrive = true; });
  const SelectionState noRecord = with(physical, [](auto& s) { s.treeNodeHasRecord = false; });
  const SelectionState liveFile = with(files, [](auto& s) {
    s.selectedDeletedOrFolders = 0;
    s.onlySelectedIsDeletedFile = false;
  });
  const SelectionState treeFocusLive = with(files, [](auto& s) { s.treeHasFocus = true; });
  const SelectionState treeFocusFolder = with(treeFocusLive, [](auto& s) { s.treeEntryIsFolderOrDeleted = true; });
  const SelectionState twoSelected = with(results, [](auto& s) {
    s.selectedCount = 2;
    s.onlySelectedIsDeletedFile = s.onlySelectedIsPicture = false;
  });
  const SelectionState history = with(drives, [](auto& s) {
    s.canGoBack = true;
    s.treeNodeHasParent = false;
  });
  const SelectionState busy = with(files, [](auto& s) { s.busy = true; });

  struct Case {
    unsigned command;
    const SelectionState& state;
    bool enabled;
  } cases[] = {
      {ID_VIEW_AS_BINARY, files, true},       {ID_VIEW_AS_BINARY, results, true},     {ID_VIEW_AS_BINARY, drives, false},
      {ID_VIEW_AS_BINARY, liveFile, false},   {ID_VIEW_AS_PICTURE, files, true},      {ID_VIEW_AS_PICTURE, twoSelected, false},
      {ID_VIEW_AS_PICTURE, drives, false},    {ID_UNDELETE, files, true},             {ID_UNDELETE, liveFile, false},
      {ID_UNDELETE, drives, false},           {ID_UNDELETE, treeFocusLive, false},    {ID_UNDELETE, treeFocusFolder, true},
      {ID_SEARCH, files, true},               {ID_SEARCH, physical, false},           {ID_SEARCH, noRecord, true},
      {ID_SEARCH, results, false},            {ID_REFRESH, files, true},              {ID_REFRESH, drives, false},
      {ID_REFRESH, results, false},           {ID_BACK, files, false},                {ID_BACK, history, true},
      {ID_FORWARD, history, false},           {ID_UP, files, true},                   {ID_UP, history, false},
      {ID_GO_TO_FOLDER, results, true},       {ID_GO_TO_FOLDER, twoSelected, false},  {ID_GO_TO_FOLDER, files, false},
      {ID_SELECT_ALL, files, true},           {ID_SELECT_ALL, drives, false},         {ID_PROPERTIES, files, false},
      {ID_PROPERTIES, drives, false},         {ID_SCAN_WIZARD, drives, true},         {ID_OPTIONS, drives, true},
      {ID_PHYSICAL_SCAN, drives, true},       {ID_APP_EXIT, drives, true},            {ID_LOGGING, drives, true},
      {ID_APP_ABOUT, drives, true},           {ID_HELP_FINDER, drives, true},         {ID_REFRESH, busy, false},
      {ID_SCAN_WIZARD, busy, false},          {ID_OPTIONS, busy, false},              {ID_PHYSICAL_SCAN, busy, false},
      {ID_CLOSE_SEARCH, busy, false},         {ID_UNDELETE, busy, false},             {ID_APP_EXIT, busy, true},
      {ID_VIEW_STATUS_BAR, busy, true},
  };
  for (const Case& c : cases) EXPECT_EQ(isCommandEnabled(c.command, c.state), c.enabled) << "command " << c.command;
}

TEST(NavigationHistoryTest, BackTwiceThenANewNodeDropsTheForwardPart) {
  NavigationHistory<char> history;
  EXPECT_FALSE(history.canGoBack());
  for (char node : {'C', 'A', 'B'}) history.add(node);
  EXPECT_EQ(history.back(), 'A');
  EXPECT_EQ(history.back(), 'C');
  history.add('C');  // selecting the node back went to changes nothing
  EXPECT_TRUE(history.canGoForward());
  history.add('D');
  EXPECT_EQ(history.nodes(), (std::vector<char>{'C', 'D'}));
  EXPECT_EQ(history.current(), 'D');
  EXPECT_TRUE(history.canGoBack());
  EXPECT_FALSE(history.canGoForward());
  history.add('E');
  history.remove('D');  // a closed search node leaves the history
  EXPECT_EQ(history.nodes(), (std::vector<char>{'C', 'E'}));
  EXPECT_EQ(history.current(), 'E');
  history.clear();
  EXPECT_FALSE(history.canGoBack());
  EXPECT_FALSE(history.canGoForward());
}

TEST(DriveRowTextTest, VolumeSizesByThousandsAndDiskCapacitiesInWholeMegabytes) {
  EXPECT_EQ(volumeSizeText(1500000), u"1.5 Mb");
  EXPECT_EQ(volumeSizeText(2000000001), u"2.0 Gb");
  EXPECT_EQ(volumeSizeText(1000000), u"1000.0 Kb");
  EXPECT_EQ(volumeSizeText(1000), u"1000 字节");
  EXPECT_EQ(diskCapacityText(500000000), u"500.0 Mb");
  EXPECT_EQ(diskCapacityText(2000000000), u"2.0 Gb");
  EXPECT_EQ(diskCapacityText(1023999999), u"1023.0 Mb");
  EXPECT_EQ(diskCapacityText(1024000000), u"1.0 Gb");
  EXPECT_EQ(physicalDriveCharacter(2), u'}');
  EXPECT_TRUE(isPhysicalDriveCharacter(u'{'));
  EXPECT_FALSE(isPhysicalDriveCharacter(u'z'));
}

TEST(DesktopArgumentsTest, ImagesOptionsAndErrors) {
  DesktopArguments a;
  std::string error;
  ASSERT_TRUE(parseDesktopArguments({"--no-devices", "--image", "card.img,removable", "disk.img", "--open", "C:\\Photos",
                                     "--screenshot", "out.png", "other.img"},
                                    a, error));
  ASSERT_EQ(a.images.size(), 3u);
  EXPECT_EQ(a.images[0].path, "card.img");
  EXPECT_TRUE(a.images[0].options.removable);
  EXPECT_EQ(a.images[1].path, "disk.img") << "a bare path is an image, as a file manager passes it";
  EXPECT_FALSE(a.images[1].options.removable);
  EXPECT_EQ(a.images[2].path, "other.img");
  EXPECT_FALSE(a.devices);
  EXPECT_EQ(a.open, "C:\\Photos");
  EXPECT_EQ(a.screenshot, "out.png");
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{{"--image"}, {"--bogus"}, {"--image", ",removable"}}) {
    DesktopArguments b;
    EXPECT_FALSE(parseDesktopArguments(bad, b, error)) << bad[0];
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace tarvosk
