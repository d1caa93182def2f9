#include "desktop/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QRegularExpression>
#include <QMenu>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>

#include "desktop/DriveView.h"
#include "desktop/FileView.h"
#include "desktop/Icons.h"
#include "desktop/ProgressDlg.h"
#include "desktop/QtText.h"
#include "desktop/SearchView.h"
#include "platform/CaseFolding.h"
#include "platform/DriveNamespace.h"
#include "res/CommandIds.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "settings/Settings.h"
#include "shell/DriveRows.h"
#include "viewers/PictureFormat.h"

namespace tarvosk {

CMainFrame::CMainFrame(bool watchDevices) : watchDevices_(watchDevices) {
  setWindowTitle(qstr(loadString(res::IDS_APP_TITLE)));
  setWindowIcon(icons::program());
  resize(900, 600);
  createViews();
  createActions();
  createMenus();
  createToolBar();
  createStatusBar();
  createPopups();
  tree_->fillDrives();
  showView(ActiveView::LogicalDrives);
  updateActions();
  if (watchDevices_) watchBlockDevices();
}

CMainFrame::~CMainFrame() {
  // Focus moves while the widgets go: no more enabling from here on.
  disconnect(qApp, nullptr, this, nullptr);
  // The views let go of the lists before the lists go.
  fileView_->showFolder(nullptr, nullptr);
  searchView_->showResults(nullptr, nullptr);
}

void CMainFrame::createViews() {
  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setChildrenCollapsible(false);
  tree_ = new CLeftView(*this, splitter_);
  tree_->setMinimumWidth(10);
  views_ = new QStackedWidget(splitter_);
  fileView_ = new CFileView(*this, sortedFolders_, views_);
  searchView_ = new CSearchView(*this, views_);
  driveView_ = new CDriveView(*this, views_);
  hdView_ = new CHDView(*this, views_);
  for (QWidget* view : {static_cast<QWidget*>(fileView_), static_cast<QWidget*>(searchView_),
                        static_cast<QWidget*>(driveView_), static_cast<QWidget*>(hdView_)})
    views_->addWidget(view);
  splitter_->addWidget(tree_);
  splitter_->addWidget(views_);
  splitter_->setStretchFactor(1, 1);
  splitter_->setSizes({200, 700});
  setCentralWidget(splitter_);
  // Undelete follows the tree's selection while the tree has the focus.
  connect(qApp, &QApplication::focusChanged, this, [this] { updateActions(); });
}

QAction* CMainFrame::action(unsigned command) const {
  auto it = actions_.find(command);
  return it == actions_.end() ? nullptr : it->second;
}

QMenu* CMainFrame::popup(int number) const {
  auto it = popups_.find(number);
  return it == popups_.end() ? nullptr : it->second;
}

ActiveView CMainFrame::activeView() const { return static_cast<ActiveView>(views_->currentIndex() + 1); }

void CMainFrame::showView(ActiveView view) {
  views_->setCurrentIndex(static_cast<int>(view) - 1);
  if (view == ActiveView::LogicalDrives || view == ActiveView::PhysicalDrives) setStatusText(QStringLiteral("就绪"));
  if (!driveListsFilled_ && (view == ActiveView::LogicalDrives || view == ActiveView::PhysicalDrives)) {
    driveListsFilled_ = true;
    driveView_->fill(true);
    hdView_->fill(true);
  }
}

QString CMainFrame::statusText() const { return messagePane_->text(); }
void CMainFrame::setStatusText(const QString& text) { messagePane_->setText(text); }

SelectionState CMainFrame::selectionState() const {
  SelectionState s;
  s.activeView = activeView();
  s.busy = busy_;
  s.treeHasFocus = tree_->hasFocus();
  QTreeWidgetItem* node = tree_->currentItem();
  const NodeRecord record = CLeftView::recordOf(node);
  s.treeNodeSelected = node != nullptr;
  s.treeNodeHasRecord = record.present;
  s.treeNodeOnPhysicalDrive = record.present && isPhysicalDriveCharacter(record.driveCharacter);
  s.treeNodeHasParent = node && node->parent();
  if (record.present && !CLeftView::isSearchNode(node)) {
    if (DriveFileList* list = const_cast<CFileList&>(lists_).GetDriveList({record.driveCharacter, u':'}))
      if (const FileEntry* entry = list->Find(record.entryId)) s.treeEntryIsFolderOrDeleted = entry->isFolder || entry->deleted;
  }
  const std::vector<FileEntry*> selection = activeSelection();
  s.selectedCount = static_cast<int>(selection.size());
  for (const FileEntry* e : selection)
    if (e->deleted || e->isFolder) ++s.selectedDeletedOrFolders;
  if (selection.size() == 1) {
    s.onlySelectedIsDeletedFile = selection[0]->deleted && !selection[0]->isFolder;
    s.onlySelectedIsPicture = passesPictureRule(selection[0]->name);
  }
  s.canGoBack = history_.canGoBack();
  s.canGoForward = history_.canGoForward();
  return s;
}

std::vector<FileEntry*> CMainFrame::activeSelection() const {
  if (activeView() == ActiveView::FileList) return fileView_->selectedEntries();
  if (activeView() == ActiveView::SearchResults) return searchView_->selectedEntries();
  return {};
}

void CMainFrame::updateActions() {
  const SelectionState state = selectionState();
  for (auto& [command, action] : actions_) action->setEnabled(isCommandEnabled(command, state));
}

void CMainFrame::setBusy(bool busy) {
  busy_ = busy;
  splitter_->setEnabled(!busy);
  updateActions();
}

bool CMainFrame::runJob(const std::u16string& text, const std::function<bool(CProgressDlg&)>& job) {
  if (busy_) return false;
  setBusy(true);
  CProgressDlg progress(this);
  progress.setText(text);
  if (progressHook_) progress.setPumpHook(progressHook_);
  progress_ = &progress;
  progress.show();
  const bool done = job(progress);
  progress_ = nullptr;
  progress.hide();
  activateWindow();  // the keyboard goes back to the window the job ran in
  setBusy(false);
  // A close asked for during the job cancelled it; the window goes now that it has stopped.
  if (closeRequested_) QTimer::singleShot(0, this, &QWidget::close);
  return done;
}

bool CMainFrame::runScan(const std::u16string& drivePath, bool physical, std::uint64_t first, std::uint64_t last) {
  if (busy_) return false;
  forgetList(drivePath);
  return runJob(std::u16string(loadString(res::IDS_LOOKING_FOR_DELETED_FILES)), [&](CProgressDlg& progress) {
    return lists_.BuildFileList(drivePath, progress, physical, first, last);
  });
}

void CMainFrame::forgetList(const std::u16string& key) {
  DriveFileList* list = lists_.GetDriveList(key);
  if (!list) {
    lists_.RemoveDriveList(key);
    return;
  }
  if (fileView_->fileModel().list() == list) fileView_->showFolder(nullptr, nullptr);
  searchView_->forgetList(list);
  sortedFolders_.forget(list);
  lists_.RemoveDriveList(key);
}

void CMainFrame::onTreeSelectionChanged(QTreeWidgetItem* node) {
  if (!suppressHistory_) history_.add(node);
  const NodeRecord record = CLeftView::recordOf(node);
  if (!record.present) {
    showView(node == tree_->physicalDrivesNode() ? ActiveView::PhysicalDrives : ActiveView::LogicalDrives);
  } else if (CLeftView::isSearchNode(node)) {
    showView(ActiveView::SearchResults);
    searchView_->showResults(lists_.GetDriveList(u16(node->text(0))), lists_.GetDriveList({record.driveCharacter, u':'}));
  } else {
    showView(ActiveView::FileList);
    tree_->fillChildren(node);
    if (tree_->currentItem() == node) {
      DriveFileList* list = lists_.GetDriveList({record.driveCharacter, u':'});
      FileEntry* folder = list ? list->Find(record.entryId) : nullptr;
      fileView_->showFolder(list, folder);
    }
  }
  updateActions();
}

void CMainFrame::showPopup(int number, const QPoint& globalPosition) {
  updateActions();
  if (QMenu* menu = popup(number)) menu->exec(globalPosition);
}

void CMainFrame::openFolderFromFileView(std::uint64_t entryId) { tree_->openFolder(entryId); }
void CMainFrame::openDriveFromList(char16_t driveCharacter) { tree_->openDrive(driveCharacter); }
void CMainFrame::focusFileView() { fileView_->setFocus(); }

bool CMainFrame::openPath(const QString& path) {
  QStringList parts = path.split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts);
  if (parts.isEmpty()) return false;
  const QString drive = parts.takeFirst();
  char16_t character = 0;
  if (drive.size() == 2 && drive[1] == u':' && drive[0].isLetter()) {
    character = drive[0].toUpper().unicode();
  } else if (drive.startsWith(QStringLiteral("PhysicalDrive"), Qt::CaseInsensitive)) {
    bool ok = false;
    const int number = drive.mid(13).toInt(&ok);
    if (!ok || number < 0 || number >= kMaxPhysicalDrives) return false;
    character = physicalDriveCharacter(number);
  }
  QTreeWidgetItem* node = character ? tree_->nodeByDriveCharacter(character) : nullptr;
  if (!node) return false;
  // The folders on the way are filled and opened, not selected: only the last node is, as a
  // click on it would.
  for (const QString& part : parts) {
    tree_->fillChildren(node);
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < node->childCount() && !next; ++i)
      if (equalsIgnoreCase(u16(node->child(i)->text(0)), u16(part))) next = node->child(i);
    if (!next) return false;
    node->setExpanded(true);
    node = next;
  }
  tree_->selectNode(node);
  const NodeRecord record = CLeftView::recordOf(node);
  return tree_->currentItem() == node && lists_.GetDriveList({record.driveCharacter, u':'});
}

void CMainFrame::onVolumeArrival() {
  tree_->fillDrives();
  driveView_->fill(false);
  hdView_->fill(false);
}

void CMainFrame::watchBlockDevices() {
  // A disk that arrives shows up in /dev; the namespace attaches the new ones only.
  auto* watcher = new QFileSystemWatcher({QStringLiteral("/dev")}, this);
  auto* settle = new QTimer(this);
  settle->setSingleShot(true);
  settle->setInterval(1000);
  connect(watcher, &QFileSystemWatcher::directoryChanged, settle, qOverload<>(&QTimer::start));
  connect(settle, &QTimer::timeout, this, [this] {
    if (!busy_ && attachBlockDevices() > 0) onVolumeArrival();
  });
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  if (settings().ShowWizardOnStartUp)
    QTimer::singleShot(0, this, [this] { actions_[res::ID_SCAN_WIZARD]->trigger(); });
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (busy_) {
    closeRequested_ = true;
    if (progress_) progress_->cancel();
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

}  // namespace tarvosk
