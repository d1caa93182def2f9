// The main window's search commands: the search (141) with its sheet, and going from a search
// result to the folder that holds it (184).
#include "desktop/FileView.h"
#include "desktop/MainFrame.h"
#include "desktop/ProgressDlg.h"
#include "desktop/QtText.h"
#include "desktop/SearchPropSheet.h"
#include "desktop/SearchView.h"
#include "search/LookInPath.h"
#include "search/SearchEngine.h"
#include "shell/ResultRows.h"

namespace tarvosk {

void CMainFrame::search() {
  QTreeWidgetItem* node = tree_->currentItem();
  const NodeRecord record = CLeftView::recordOf(node);
  if (!record.present || CLeftView::isSearchNode(node)) return;
  // The look-in path: the drive, then the folders from it down to the selected node.
  std::vector<std::u16string> folders;
  for (QTreeWidgetItem* n = node; n && !CLeftView::isDriveNode(n); n = n->parent()) folders.insert(folders.begin(), u16(n->text(0)));
  const std::u16string drivePath{record.driveCharacter, u':'};
  CSearchPropSheet sheet(lookInPath(drivePath, folders), lists_.GetDriveList(drivePath), drivePath, this);
  if (sheet.exec() != QDialog::Accepted) return;
  runSearch(record.driveCharacter, sheet.lookIn(), sheet.namePattern(), sheet.criteria());
}

bool CMainFrame::runSearch(char16_t driveCharacter, const std::u16string& lookIn, const std::u16string& namePattern,
                           const SearchCriteria& criteria) {
  if (busy_) return false;
  DriveFileList* drive = nullptr;
  std::uint64_t folder = ROOT_ENTRY_ID;
  if (ResolveLookIn(lists_, {driveCharacter, u':'}, lookIn, drive, folder) != SearchOutcome::Resolved) return false;
  // A cancelled search keeps and shows what it found so far.
  std::unique_ptr<DriveFileList> results;
  runJob(u"正在执行搜索", [&](CProgressDlg& progress) {
    results = RunSearch(*drive, folder, namePattern, criteria, progress);
    return true;
  });
  const std::u16string name = nextSearchName(lists_);
  lists_.StoreDriveList(name, std::move(results));
  tree_->addSearchNode(qstr(name), driveCharacter);
  return true;
}

void CMainFrame::goToContainingFolder() {
  const std::vector<FileEntry*> selection = searchView_->selectedEntries();
  const NodeRecord search = CLeftView::recordOf(tree_->currentItem());
  DriveFileList* drive = lists_.GetDriveList({search.driveCharacter, u':'});
  QTreeWidgetItem* node = tree_->nodeByDriveCharacter(search.driveCharacter);
  if (selection.size() != 1 || !drive || !node) return;
  // Down the tree by the folders' entry ids, not their names: a deleted folder and a live one
  // beside it may carry the same name.
  node->setExpanded(true);
  for (std::uint64_t id : containingFolderIds(*drive, *selection[0])) {
    tree_->fillChildren(node);
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < node->childCount() && !next; ++i)
      if (CLeftView::recordOf(node->child(i)).entryId == id) next = node->child(i);
    if (!next) return;
    next->setExpanded(true);
    node = next;
  }
  tree_->selectNode(node);
  fileView_->selectEntry(selection[0]->id);
}

}  // namespace tarvosk
