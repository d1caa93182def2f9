// CMainFrame: the program's one main window. The drive tree on the left, one of four views on
// the right (file list, search results, logical drives, physical drives), the menus, toolbar,
// status bar and accelerators; it runs every command and keeps the navigation history.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <vector>

#include "desktop/LeftView.h"
#include "scan/FileList.h"
#include "search/SearchCriteria.h"
#include "shell/CommandRules.h"
#include "shell/FolderSort.h"
#include "shell/NavigationHistory.h"

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QStackedWidget;
class QToolBar;

namespace tarvosk {

class CDriveView;
class CFileView;
class CHDView;
class CPreviewDlg;
class CProgressDlg;
class CSearchView;
class LockIndicators;

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  // watchDevices: refresh the drives when the machine's block devices change.
  explicit CMainFrame(bool watchDevices = false);
  ~CMainFrame() override;

  CFileList& fileList() { return lists_; }
  CLeftView* leftView() const { return tree_; }
  CFileView* fileView() const { return fileView_; }
  CSearchView* searchView() const { return searchView_; }
  CDriveView* driveView() const { return driveView_; }
  CHDView* hdView() const { return hdView_; }
  QAction* action(unsigned command) const;
  QMenu* popup(int number) const;
  ActiveView activeView() const;
  const NavigationHistory<QTreeWidgetItem*>& history() const { return history_; }
  bool isBusy() const { return busy_; }
  QString statusText() const;

  // Runs a command as its menu item would; a command that is disabled does nothing.
  void runCommand(unsigned command);
  // Recomputes every command's enabled state from the selection.
  void updateActions();
  SelectionState selectionState() const;

  // Selects the tree node of "C:", "C:\folder\sub" or "PhysicalDrive0", scanning the drive as a
  // click would. False when a part cannot be found.
  bool openPath(const QString& path);
  // Attaches a disk image and shows its drives, as a volume arrival does. False, after telling
  // the user why, when it cannot be opened.
  bool attachImageFile(const QString& path, bool removable = false);

  // Scans a drive under the progress dialog and stores its new list; the views let go of the
  // old list first. False when the drive could not be scanned (the user has been told why).
  bool runScan(const std::u16string& drivePath, bool physical, std::uint64_t first, std::uint64_t last);
  // Runs a long job (a scan, a search, a recovery) under a progress dialog showing text. While it
  // runs, the tree and views take no input and only exit and the bars stay enabled; a close
  // asked for meanwhile cancels the job and happens once it has stopped.
  bool runJob(const std::u16string& text, const std::function<bool(CProgressDlg&)>& job);
  // Called at every event pump of each progress dialog this window opens (tests, screenshots).
  void setProgressHook(std::function<void(CProgressDlg&)> hook) { progressHook_ = std::move(hook); }

  // The search command's steps after its sheet: resolves the look-in path on the drive, runs the
  // search under the progress dialog, stores the result set under the next "Search(N)" and adds
  // and selects its tree node. False when the look-in path or the drive failed (the user has
  // been told why), or while a job runs.
  bool runSearch(char16_t driveCharacter, const std::u16string& lookIn, const std::u16string& namePattern,
                 const SearchCriteria& criteria);

  // Removes a list from the file lists, after the views let go of it and forgetting its sort
  // memory (a search that closes, a drive about to be scanned again).
  void forgetList(const std::u16string& key);

  // Called by the views and the tree.
  void onTreeSelectionChanged(QTreeWidgetItem* node);
  void showPopup(int number, const QPoint& globalPosition);
  void openFolderFromFileView(std::uint64_t entryId);
  void openDriveFromList(char16_t driveCharacter);
  void focusFileView();
  void setStatusText(const QString& text);
  bool previewIsOpen() const { return preview_ != nullptr; }
  // The open picture preview, or null.
  CPreviewDlg* preview() const { return preview_; }
  // The recovery job (command 138) of what the tree (while it has the focus) or the active view
  // has selected; clusters: only those units of the file. viewSelectionOnly: the view's selection
  // whatever has the focus (the cluster viewer's jobs).
  void undelete(const std::vector<std::uint64_t>* clusters = nullptr, bool viewSelectionOnly = false);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void createViews();
  void createActions();
  void createMenus();
  void createToolBar();
  void createStatusBar();
  void createPopups();
  QAction* addCommand(unsigned command, const QString& text);
  void showView(ActiveView view);
  void setBusy(bool busy);
  void onVolumeArrival();
  void watchBlockDevices();

  // Commands.
  void rescanSelectedDrive(bool physical);
  // Scans a drive node's drive again and shows it anew (refresh, physical scan, scan wizard).
  void rescanDrive(QTreeWidgetItem* drive, bool physical, std::uint64_t first, std::uint64_t last);
  void runScanWizard();
  void goBack();
  void goForward();
  void goUp();
  void selectAll();
  void showOptions();
  void showLogging();
  void showAbout();
  void showHelp();
  void attachImage();
  void viewAsBinary();
  void viewAsPicture();
  std::vector<FileEntry*> activeSelection() const;
  void search();
  void goToContainingFolder();

  CFileList lists_;
  SortedFolders sortedFolders_;
  NavigationHistory<QTreeWidgetItem*> history_;
  bool suppressHistory_ = false;
  bool busy_ = false;
  bool closeRequested_ = false;
  bool shownOnce_ = false;
  CProgressDlg* progress_ = nullptr;
  CPreviewDlg* preview_ = nullptr;
  std::function<void(CProgressDlg&)> progressHook_;
  bool watchDevices_;

  QSplitter* splitter_ = nullptr;
  CLeftView* tree_ = nullptr;
  QStackedWidget* views_ = nullptr;
  CFileView* fileView_ = nullptr;
  CSearchView* searchView_ = nullptr;
  CDriveView* driveView_ = nullptr;
  CHDView* hdView_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QLabel* messagePane_ = nullptr;
  LockIndicators* locks_ = nullptr;
  std::map<unsigned, QAction*> actions_;
  std::map<int, QMenu*> popups_;
  bool driveListsFilled_ = false;
};

}  // namespace tarvosk
