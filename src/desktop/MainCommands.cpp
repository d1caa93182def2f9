// The main window's commands.
#include <QAction>
#include <QFileDialog>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>

#include "desktop/AboutDlg.h"
#include "desktop/DriveView.h"
#include "desktop/FileView.h"
#include "desktop/HelpWindow.h"
#include "desktop/LoggingDlg.h"
#include "desktop/MainFrame.h"
#include "desktop/OptionsDlg.h"
#include "desktop/QtText.h"
#include "desktop/SearchView.h"
#include "platform/CodePage.h"
#include "platform/DriveNamespace.h"
#include "platform/UiPorts.h"
#include "platform/WinError.h"
#include "res/CommandIds.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "types/TypeTable.h"

namespace tarvosk {

using namespace res;

void CMainFrame::runCommand(unsigned command) {
  if (!isCommandEnabled(command, selectionState())) return;
  switch (command) {
    case ID_VIEW_AS_BINARY: return viewAsBinary();
    case ID_SEARCH: return search();
    case ID_GO_TO_FOLDER: return goToContainingFolder();
    case ID_REFRESH: return rescanSelectedDrive(false);
    case ID_PHYSICAL_SCAN: return rescanSelectedDrive(true);
    case ID_BACK: return goBack();
    case ID_FORWARD: return goForward();
    case ID_UP: return goUp();
    case ID_SELECT_ALL: return selectAll();
    case ID_OPTIONS: return showOptions();
    case ID_LOGGING: return showLogging();
    case ID_APP_ABOUT: return showAbout();
    case ID_HELP_FINDER:
    case ID_HELP:
    case ID_CONTEXT_HELP:
    case ID_DEFAULT_HELP: return showHelp();
    case ID_ATTACH_IMAGE: return attachImage();
    case ID_CLOSE_SEARCH: return tree_->closeSearch(tree_->currentItem());
    case ID_APP_EXIT: close(); return;
    case ID_VIEW_TOOLBAR:
    case ID_VIEW_STATUS_BAR: return;  // the actions' toggles show and hide the bars
    case ID_VIEW_AS_PICTURE: return viewAsPicture();
    case ID_UNDELETE: return undelete();
    case ID_SCAN_WIZARD: return runScanWizard();
    default: return;
  }
}

void CMainFrame::rescanSelectedDrive(bool physical) {
  if (physical) {
    if (activeView() != ActiveView::FileList || !tree_->currentItem()) return;
    if (userInterface().messageBox(std::u16string(loadString(IDS_CONFIRM_LONG_DISK_SCAN)), kProgramTitle,
                                   MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
      return;
  }
  QTreeWidgetItem* drive = tree_->driveNodeOf(tree_->currentItem());
  if (!drive) return;
  if (physical) filterRegistry().EnableAll(true);
  rescanDrive(drive, physical, 0, 0);
}

void CMainFrame::rescanDrive(QTreeWidgetItem* drive, bool physical, std::uint64_t first, std::uint64_t last) {
  const char16_t character = CLeftView::recordOf(drive).driveCharacter;
  tree_->setUpdatesEnabled(false);
  tree_->selectNode(tree_->topLevelItem(0));
  tree_->clearChildren(drive);
  for (QTreeWidgetItem* search : tree_->searchNodesOf(character)) {
    forgetList(u16(search->text(0)));
    history_.remove(search);
    delete search;
  }
  runScan({character, u':'}, physical, first, last);
  tree_->fillChildren(drive);
  // The history starts anew at the drive: the nodes it held below the drive are gone.
  suppressHistory_ = true;
  tree_->selectNode(drive->parent());
  tree_->selectNode(drive);
  suppressHistory_ = false;
  history_.clear();
  history_.add(drive);
  tree_->setUpdatesEnabled(true);
  updateActions();
}

void CMainFrame::goBack() {
  tree_->selectNode(history_.back());
  views_->currentWidget()->setFocus();
  updateActions();
}

void CMainFrame::goForward() {
  tree_->selectNode(history_.forward());
  views_->currentWidget()->setFocus();
  updateActions();
}

void CMainFrame::goUp() {
  if (QTreeWidgetItem* node = tree_->currentItem(); node && node->parent()) tree_->selectNode(node->parent());
}

void CMainFrame::selectAll() {
  QAbstractItemView* view = activeView() == ActiveView::FileList ? static_cast<QAbstractItemView*>(fileView_)
                                                                 : static_cast<QAbstractItemView*>(searchView_);
  view->selectAll();
  view->setFocus();
}

void CMainFrame::showOptions() {
  COptionsDlg dialog(this);
  if (dialog.exec() != QDialog::Accepted) return;
  QTreeWidgetItem* selected = tree_->currentItem();
  if (!CLeftView::recordOf(selected).present) return;
  QTreeWidgetItem* logical = tree_->topLevelItem(0);
  tree_->selectNode(logical);
  QTreeWidgetItem* drive = selected;
  while (drive && drive->parent() != logical) drive = drive->parent();
  if (!drive) return;
  tree_->setUpdatesEnabled(false);
  history_.clear();
  tree_->refillChildren(drive);
  tree_->selectNode(drive);
  tree_->setUpdatesEnabled(true);
}

void CMainFrame::showLogging() {
  CLoggingDlg dialog(this);
  dialog.exec();
}

void CMainFrame::showAbout() {
  CAboutDlg dialog(this);
  dialog.exec();
}

void CMainFrame::showHelp() { HelpWindow::open(this); }

void CMainFrame::attachImage() {
  const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("附加磁盘映像"), QString(),
                                                    QStringLiteral("磁盘映像 (*.img *.dd *.raw *.bin *.iso *.ima);;所有文件 (*)"));
  if (!path.isEmpty()) attachImageFile(path);
}

bool CMainFrame::attachImageFile(const QString& path, bool removable) {
  AttachOptions options;
  options.removable = removable;
  if (!tarvosk::attachImage(path.toStdString(), options)) {
    userInterface().messageBox(u"无法打开磁盘映像 " + u16(path) + u"\n" + systemErrorText(GetLastError()), kProgramTitle,
                               MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  onVolumeArrival();
  return true;
}

}  // namespace tarvosk
