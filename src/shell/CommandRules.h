// When each command of the main window is enabled: one rule per command, computed from a plain
// description of what is selected where, so the rules are tested without a window.
#pragma once

namespace tarvosk {

// The right-hand views of the main window, by their numbers.
enum class ActiveView : int { FileList = 1, SearchResults = 2, LogicalDrives = 3, PhysicalDrives = 4 };

struct SelectionState {
  ActiveView activeView = ActiveView::LogicalDrives;
  bool treeHasFocus = false;
  // The selected tree node.
  bool treeNodeSelected = false;
  bool treeNodeHasRecord = false;       // a drive, folder or search node
  bool treeNodeOnPhysicalDrive = false; // its drive character lies above "z"
  bool treeNodeHasParent = false;
  bool treeEntryIsFolderOrDeleted = false;
  // The active view's selection (views 1 and 2).
  int selectedCount = 0;
  int selectedDeletedOrFolders = 0;
  bool onlySelectedIsDeletedFile = false;  // exactly one selected, a deleted file
  bool onlySelectedIsPicture = false;      // exactly one selected, passing the picture rule
  // The navigation history.
  bool canGoBack = false;
  bool canGoForward = false;
  // A scan, search or recovery job runs and pumps events: only exit and the bars stay usable.
  bool busy = false;
};

// Whether the command is enabled; commands the table does not know are enabled.
bool isCommandEnabled(unsigned command, const SelectionState& state);

}  // namespace tarvosk
