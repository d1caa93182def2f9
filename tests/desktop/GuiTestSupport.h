// What the desktop program's tests share: fixture images attached for one test, a main window
// with a scripted user, and ways to reach its tree nodes and rows.
#pragma once

#include <QString>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

#include "desktop/MainFrame.h"
#include "support/FakeUi.h"

class QDialog;

namespace tarvosk::test {

// The path of a fixture image; fails the test when it is missing (fixtures never skip).
QString fixtureImage(const char* name);

// Runs command, acting on the modal dialog it opens once it is shown; the dialog is closed
// afterwards if act left it open (a failed check inside act).
void withDialog(CMainFrame& frame, unsigned command, const std::function<void(QDialog&)>& act);

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

 private:
  FakeUi ui_;
  std::unique_ptr<CMainFrame> frame_;
};

}  // namespace tarvosk::test
