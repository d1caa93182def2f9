#include "shell/CommandRules.h"

#include "res/CommandIds.h"

namespace tarvosk {

namespace {

bool fileViewOrResults(const SelectionState& s) {
  return s.activeView == ActiveView::FileList || s.activeView == ActiveView::SearchResults;
}

bool usableWhileBusy(unsigned command) {
  return command == res::ID_APP_EXIT || command == res::ID_VIEW_TOOLBAR || command == res::ID_VIEW_STATUS_BAR;
}

}  // namespace

bool isCommandEnabled(unsigned command, const SelectionState& s) {
  if (s.busy && !usableWhileBusy(command)) return false;
  using namespace res;
  switch (command) {
    case ID_VIEW_AS_BINARY:
      return fileViewOrResults(s) && s.onlySelectedIsDeletedFile;
    case ID_VIEW_AS_PICTURE:
      return fileViewOrResults(s) && s.onlySelectedIsPicture;
    case ID_UNDELETE:
      if (!fileViewOrResults(s)) return false;
      return s.treeHasFocus ? s.treeEntryIsFolderOrDeleted : s.selectedDeletedOrFolders > 0;
    case ID_SEARCH:
      return s.activeView == ActiveView::FileList &&
             (!s.treeNodeSelected || !s.treeNodeHasRecord || !s.treeNodeOnPhysicalDrive);
    case ID_REFRESH:
      return s.activeView == ActiveView::FileList;
    case ID_BACK:
      return s.canGoBack;
    case ID_FORWARD:
      return s.canGoForward;
    case ID_UP:
      return s.treeNodeHasParent;
    case ID_GO_TO_FOLDER:
      return s.activeView == ActiveView::SearchResults && s.selectedCount == 1;
    case ID_SELECT_ALL:
      return fileViewOrResults(s);
    case ID_PROPERTIES:
      return false;
    default:
      return true;
  }
}

}  // namespace tarvosk
