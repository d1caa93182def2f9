// The undelete command: the recovery job of what the tree or the active view has selected.
#include <QApplication>

#include "desktop/FileView.h"
#include "desktop/LogDlg.h"
#include "desktop/MainFrame.h"
#include "desktop/ProgressDlg.h"
#include "desktop/QtText.h"
#include "recover/RecoveryJobFlow.h"

namespace tarvosk {

namespace {

// The job's progress runs in the main window's job frame, with the file list not redrawn.
class FrameJobFront : public RecoveryJobFront {
 public:
  explicit FrameJobFront(CMainFrame& frame) : frame_(frame) {}
  bool underProgress(const std::function<bool(ProgressWindow&)>& copy) override {
    const bool listShown = frame_.activeView() == ActiveView::FileList;
    if (listShown) frame_.fileView()->setUpdatesEnabled(false);
    const bool done = frame_.runJob(u"正在反删除文件...", [&](CProgressDlg& progress) { return copy(progress); });
    if (listShown) frame_.fileView()->setUpdatesEnabled(true);
    return done;
  }
  void showErrorList(const std::u16string& log) override {
    CLogDlg dialog(qstr(log), &frame_);
    dialog.exec();
  }

 private:
  CMainFrame& frame_;
};

}  // namespace

void CMainFrame::undelete(const std::vector<std::uint64_t>* clusters, bool viewSelectionOnly) {
  const ActiveView view = activeView();
  if (busy_ || (view != ActiveView::FileList && view != ActiveView::SearchResults)) return;
  JobSelection selection;
  selection.treeHasFocus = !viewSelectionOnly && tree_->hasFocus();
  if (QTreeWidgetItem* node = tree_->currentItem(); node && !CLeftView::isSearchNode(node)) {
    const NodeRecord record = CLeftView::recordOf(node);
    selection.treeNodeHasEntry = record.present;
    selection.treeDriveCharacter = record.driveCharacter;
    selection.treeEntryId = record.entryId;
  }
  if (!selection.treeHasFocus) selection.viewSelection = activeSelection();
  FrameJobFront front(*this);
  runRecoveryJob(front, collectJobEntries(lists_, selection), clusters);
  updateActions();
}

}  // namespace tarvosk
