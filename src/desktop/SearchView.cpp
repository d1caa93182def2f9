#include "desktop/SearchView.h"

#include "desktop/MainFrame.h"

namespace tarvosk {

CSearchView::CSearchView(CMainFrame& frame, QWidget* parent) : QTreeView(parent), frame_(frame) {
  setRootIsDecorated(false);
  setUniformRowHeights(true);
}

void CSearchView::showResults(DriveFileList* results) { results_ = results; }

std::vector<FileEntry*> CSearchView::selectedEntries() const { return {}; }

}  // namespace tarvosk
