// tarvosk_screenshots OUTPUT_DIR IMAGE: renders every window of the desktop program, offscreen,
// over a disk image (the demo disk), into one PNG per window, for the README and for looking at.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFocusEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <cstdio>
#include <utility>

#include "desktop/FileView.h"
#include "desktop/HelpWindow.h"
#include "desktop/LoggingDlg.h"
#include "desktop/MainFrame.h"
#include "desktop/ObjectIds.h"
#include "desktop/OptionsDlg.h"
#include "desktop/ProgressDlg.h"
#include "desktop/RangeSlider.h"
#include "desktop/ScanWizard.h"
#include "device/DeviceMode.h"
#include "platform/DriveNamespace.h"
#include "res/CommandIds.h"
#include "settings/Settings.h"
#include "support/FakeUi.h"
#include "volfs/FileSystems.h"

namespace {

bool save(QWidget& window, const QDir& folder, const char* name) {
  QApplication::processEvents();
  const QString path = folder.filePath(QString::fromLatin1(name));
  if (!window.grab().save(path)) {
    std::fprintf(stderr, "tarvosk_screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tarvosk;
  if (argc != 3) {
    std::fprintf(stderr, "usage: tarvosk_screenshots OUTPUT_DIR IMAGE\n");
    return 2;
  }
  QTemporaryDir home;
  qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
  qputenv("XDG_STATE_HOME", (home.path() + "/state").toUtf8());
  QApplication app(argc, argv);
  const QDir out(QString::fromLocal8Bit(argv[1]));
  if (!QDir().mkpath(out.path())) return 1;
  RAW_Initialize();
  registerFileSystemProviders();
  if (!attachImage(argv[2])) {
    std::fprintf(stderr, "tarvosk_screenshots: cannot attach %s\n", argv[2]);
    return 1;
  }
  settings() = Settings();
  settings().ShowWizardOnStartUp = false;
  test::FakeUi user;

  bool ok = true;
  CMainFrame frame;
  frame.resize(900, 600);
  frame.show();
  ok &= save(frame, out, "drives.png");

  // The progress dialog as the scan of the drive goes on: the last picture taken before the
  // bar passes half way.
  bool progressTaken = false;
  frame.setProgressHook([&](CProgressDlg& progress) {
    if (progressTaken) return;
    progress.findChild<QWidget*>(QStringLiteral("id1001"))->repaint();
    ok &= save(progress, out, "progress.png");
    progressTaken = frame.isBusy() && progress.findChild<QWidget*>(QStringLiteral("id1001"))->property("value").toInt() >= 50;
  });
  ok &= frame.openPath(QStringLiteral("C:\\Photos"));
  frame.setProgressHook(nullptr);
  ok &= save(frame, out, "folder.png");

  COptionsDlg options(&frame);
  options.show();
  ok &= save(options, out, "options.png");
  CLoggingDlg logging(&frame);
  logging.show();
  ok &= save(logging, out, "logging.png");
  ok &= save(*HelpWindow::open(&frame), out, "help.png");

  // The wizard's pages on the way to a physical scan of the demo drive, a part of it.
  CScanWizard wizard(&frame);
  wizard.show();
  ok &= save(wizard, out, "wizard-1.png");
  wizard.findChild<QRadioButton*>(objectIdName(res::IDC_PHYSICAL_SCAN))->click();
  wizard.next();
  auto* drives = wizard.findChild<QTreeView*>(objectIdName(res::IDC_WIZARD_DRIVE_LIST));
  drives->setCurrentIndex(drives->model()->index(0, 0));
  ok &= save(wizard, out, "wizard-2.png");
  wizard.next();
  // Pages 1 and 3 both have a check box 1022.
  wizard.currentPage()->findChild<QCheckBox*>(objectIdName(res::IDC_PARTIAL_SCAN))->click();
  // A part of the volume typed into the two edits, which the slider then shows.
  const double clusters = wizard.findChild<CRangeSlider*>(objectIdName(res::IDC_RANGE_SLIDER))->maximum();
  for (auto [id, value] : {std::pair{res::IDC_RANGE_END, clusters * 3 / 5}, std::pair{res::IDC_RANGE_START, clusters / 5}}) {
    auto* edit = wizard.findChild<QLineEdit*>(objectIdName(id));
    edit->setText(QString::number(static_cast<qint64>(value)));
    QFocusEvent left(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &left);
  }
  ok &= save(wizard, out, "wizard-3.png");
  wizard.next();
  ok &= save(wizard, out, "wizard-4.png");
  ok &= wizard.currentId() == static_cast<int>(res::IDD_WIZARD_FILE_TYPES);
  return ok ? 0 : 1;
}
