// What the desktop program's tests share: fixture images attached for one test, a main window
// with a scripted user, and ways to reach its tree nodes and rows.
#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QString>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "desktop/MainFrame.h"
#include "support/FakeUi.h"

namespace tarvosk::test {

// Runs command, acting on the modal dialog it opens once the dialog is shown; the dialog is
// closed afterwards if act left it open.
void withDialog(CMainFrame& frame, unsigned command, const std::function<void(QDialog&)>& act);
// Clicks a button and acts on the modal dialog the click opens.
void withDialogOf(QAbstractButton* button, const std::function<void(QDialog&)>& act);

// The path of a fixture image; fails the test when it is missing (fixtures never skip).
QString fixtureImage(const char* name);

// Registers a test class to be run by the test program under its class name.
using GuiTestFactory = std::unique_ptr<QObject> (*)();
bool registerGuiTest(const char* name, GuiTestFactory factory);
#define TARVOSK_GUI_TEST(Class)                                                                        \
  static const bool Class##Registered =                                                                \
      ::tarvosk::test::registerGuiTest(#Class, []() -> std::unique_ptr<QObject> { return std::make_unique<Class>(); })

// A main window over some fixture images, with the settings at their defaults (but no wizard at
// start-up) and a scripted user. Detaches the images when it goes.
class FrameUnderTest {
 public:
  // The window is shown (and active) unless shown is false: then showFrame() shows it.
  explicit FrameUnderTest(const std::vector<QString>& images, bool showWizardOnStartUp = false, bool shown = true);
  void showFrame();
  ~FrameUnderTest();
  CMainFrame& frame() { return *frame_; }
  FakeUi& user() { return ui_; }
  // The tree node of "C:", "C:\A\B" or "PhysicalDrive0", selected as a click would.
  QTreeWidgetItem* open(const QString& path);
  // The text of a cell of the file list view.
  QString cell(int row, int column) const;
  // The row of the file list view whose name is that, or -1.
  int rowNamed(const QString& name) const;
  QStringList rowNames() const;
  // Selects the file list's rows of those names (and focuses the list); false if one is missing.
  bool selectRows(const QStringList& names);

 private:
  FakeUi ui_;
  std::unique_ptr<CMainFrame> frame_;
};

// Acts on each modal window that opens while it lives (a command's dialogs, message boxes of
// Qt's own), once, from a timer: also on those a long job opens between its event pumps.
class ModalWatcher {
 public:
  explicit ModalWatcher(std::function<void(QWidget&)> act);
  int seen() const { return seen_; }

 private:
  std::function<void(QWidget&)> act_;
  QTimer timer_;
  std::set<QWidget*> handled_;
  int seen_ = 0;
};

}  // namespace tarvosk::test
