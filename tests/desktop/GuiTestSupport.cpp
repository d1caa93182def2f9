#include "desktop/GuiTestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QTimer>
#include <map>

#include "desktop/FileView.h"
#include "desktop/QtText.h"
#include "platform/DriveNamespace.h"
#include "settings/Settings.h"

namespace tarvosk::test {

std::map<std::string, GuiTestFactory>& guiTests();

bool registerGuiTest(const char* name, GuiTestFactory factory) {
  guiTests()[name] = factory;
  return true;
}

namespace {

// Acts on the modal dialog that start opens, once it is shown.
void actOnModalDialog(const std::function<void()>& start, const std::function<void(QDialog&)>& act) {
  bool acted = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog);
    act(*dialog);
    acted = true;
    if (dialog->isVisible()) dialog->reject();  // a failed check inside act leaves it open
  });
  start();
  QVERIFY(acted);
}

}  // namespace

void withDialog(CMainFrame& frame, unsigned command, const std::function<void(QDialog&)>& act) {
  actOnModalDialog([&] { frame.runCommand(command); }, act);
}

void withDialogOf(QAbstractButton* button, const std::function<void(QDialog&)>& act) {
  actOnModalDialog([&] { button->click(); }, act);
}

QString fixtureImage(const char* name) {
  const QString folder = qEnvironmentVariable("TARVOSK_FIXTURES");
  const QString path = folder + QLatin1Char('/') + QLatin1String(name);
  if (folder.isEmpty() || !QFileInfo::exists(path))
    qFatal("fixture image %s is missing (TARVOSK_FIXTURES=%s): build it with tests/images/build-all.sh", name,
           qPrintable(folder));
  return path;
}

FrameUnderTest::FrameUnderTest(const std::vector<QString>& images, bool showWizardOnStartUp, bool shown) {
  settings() = Settings();
  settings().ShowWizardOnStartUp = showWizardOnStartUp;
  for (const QString& image : images)
    if (!attachImage(image.toStdString())) qFatal("cannot attach %s", qPrintable(image));
  frame_ = std::make_unique<CMainFrame>();
  if (shown) showFrame();
}

void FrameUnderTest::showFrame() {
  frame_->show();
  frame_->activateWindow();
  if (!QTest::qWaitForWindowActive(frame_.get())) qWarning("the main window did not become active");
}

FrameUnderTest::~FrameUnderTest() {
  frame_.reset();
  detachAll();
}

QTreeWidgetItem* FrameUnderTest::open(const QString& path) {
  const bool opened = frame_->openPath(path);
  // A scan's progress dialog took the keyboard for a while; the keys go to the window again.
  if (!QTest::qWaitForWindowActive(frame_.get())) qWarning("the main window did not become active again");
  return opened ? frame_->leftView()->currentItem() : nullptr;
}

QString FrameUnderTest::cell(int row, int column) const {
  auto& model = frame_->fileView()->fileModel();
  return model.data(model.index(row, column)).toString();
}

int FrameUnderTest::rowNamed(const QString& name) const {
  auto& model = frame_->fileView()->fileModel();
  for (int row = 0; row < model.rowCount(); ++row)
    if (cell(row, 0) == name) return row;
  return -1;
}

QStringList FrameUnderTest::rowNames() const {
  QStringList names;
  for (int row = 0; row < frame_->fileView()->fileModel().rowCount(); ++row) names << cell(row, 0);
  return names;
}

bool FrameUnderTest::selectRows(const QStringList& names) {
  CFileView* view = frame_->fileView();
  view->setFocus();
  view->selectionModel()->clearSelection();
  for (const QString& name : names) {
    const int row = rowNamed(name);
    if (row < 0) return false;
    const QModelIndex index = view->model()->index(row, 0);
    view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  return true;
}

ModalWatcher::ModalWatcher(std::function<void(QWidget&)> act) : act_(std::move(act)) {
  timer_.setInterval(20);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || handled_.count(modal)) return;
    handled_.insert(modal);
    ++seen_;
    act_(*modal);
  });
  timer_.start();
}

}  // namespace tarvosk::test
