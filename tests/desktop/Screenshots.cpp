// tarvosk_screenshots OUTPUT_DIR IMAGE: renders every window of the desktop program, offscreen,
// over a disk image (the demo disk), into one PNG per window, for the README and for looking at.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFocusEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeView>
#include <cstdio>
#include <utility>
#include <vector>

#include "desktop/FileView.h"
#include "desktop/HelpWindow.h"
#include "desktop/LogDlg.h"
#include "desktop/LoggingDlg.h"
#include "desktop/MainFrame.h"
#include "desktop/ObjectIds.h"
#include "desktop/OptionsDlg.h"
#include "desktop/PreviewDlg.h"
#include "desktop/ProgressDlg.h"
#include "desktop/QtText.h"
#include "desktop/RangeSlider.h"
#include "desktop/ScanWizard.h"
#include "desktop/SearchPropSheet.h"
#include "desktop/ViewerDlg.h"
#include "desktop/YesNoDlg.h"
#include "device/DeviceMode.h"
#include "platform/CodePage.h"
#include "platform/DriveNamespace.h"
#include "platform/Format.h"
#include "recover/RecoveryJobFlow.h"
#include "res/CommandIds.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "search/LookInPath.h"
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

  // The search sheet's three pages, as F3 opens them on the folder shown, with the size and
  // date choices made so that their controls show enabled; then the results of a search.
  const std::u16string drivePath = u"C:";
  CSearchPropSheet sheet(lookInPath(drivePath, {u"Photos"}), frame.fileList().GetDriveList(drivePath), drivePath, &frame);
  sheet.show();
  auto* sizeDate = sheet.findChild<QWidget*>(QStringLiteral("id%1").arg(res::IDD_SEARCH_SIZE_DATE));
  for (unsigned id : {res::IDC_SEARCH_SIZE, res::IDC_SEARCH_DATE, res::IDC_SEARCH_BETWEEN})
    sizeDate->findChild<QAbstractButton*>(QStringLiteral("id%1").arg(id))->click();
  const char* const sheetPictures[] = {"search-name.png", "search-size-date.png", "search-content.png"};
  for (int page = 0; page < 3; ++page) {
    sheet.pages()->setCurrentIndex(page);
    ok &= save(sheet, out, sheetPictures[page]);
  }
  sheet.hide();
  // Wide enough for the results' six columns.
  frame.resize(1200, 600);
  ok &= frame.runSearch(u'C', u"C:\\", u"*", SearchCriteria{});
  ok &= save(frame, out, "search-results.png");
  frame.resize(900, 600);

  COptionsDlg options(&frame);
  options.show();
  ok &= save(options, out, "options.png");
  CLoggingDlg logging(&frame);
  logging.show();
  ok &= save(logging, out, "logging.png");
  ok &= save(*HelpWindow::open(&frame), out, "help.png");

  // The viewer on a photo written around a live one: its later clusters are that file's, in red.
  auto select = [&](const QString& name) {
    for (int row = 0; row < frame.fileView()->fileModel().rowCount(); ++row)
      if (frame.fileView()->fileModel().index(row, 0).data().toString() == name) {
        frame.fileView()->selectEntry(frame.fileView()->fileModel().entryAt(row)->id);
        return frame.fileView()->fileModel().entryAt(row);
      }
    std::fprintf(stderr, "tarvosk_screenshots: no %s in Photos\n", qPrintable(name));
    ok = false;
    return static_cast<FileEntry*>(nullptr);
  };
  if (FileEntry* beach = select(QStringLiteral("Beach panorama.jpg"))) {
    CViewerDlg viewer(*beach, &frame);
    viewer.show();
    ok &= save(viewer, out, "viewer.png");
  }
  if (select(QStringLiteral("Holiday at the sea.jpg"))) {
    frame.runCommand(res::ID_VIEW_AS_PICTURE);
    if (frame.preview()) ok &= save(*frame.preview(), out, "preview.png");
    else ok = false;
  }
  CYesNoDlg overwrite(qstr(format(loadString(res::IDS_CONFIRM_OVERWRITE), u"Holiday at the sea.jpg")), &frame);
  overwrite.show();
  ok &= save(overwrite, out, "overwrite.png");

  // The error list of a real job: the second photo's place is taken by a folder.
  QTemporaryDir target;
  QDir(target.path()).mkdir(QStringLiteral("Birthday party.jpg"));
  user.setDefaultOverwriteAnswer(OverwriteAnswer::Yes);
  std::vector<JobEntry> entries;
  DriveFileList* photos = frame.fileView()->fileModel().list();
  for (const QString& name : {QStringLiteral("Holiday at the sea.jpg"), QStringLiteral("Birthday party.jpg")})
    if (FileEntry* entry = select(name)) entries.push_back({photos, entry});
  test::FakeProgress quiet;
  const RecoveryJobOutcome outcome = recoverJobEntries(entries, u16(target.path()), nullptr, quiet);
  CLogDlg errors(qstr(outcome.log), &frame);
  errors.show();
  ok &= save(errors, out, "errors.png");

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
