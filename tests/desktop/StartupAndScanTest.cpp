// The main window from start-up to a scanned drive: the views and nodes it starts with, the
// wizard at start-up, scans started by selecting a drive or by F5, and a scan cancelled or cut
// short by closing the window.
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include "desktop/DriveView.h"
#include "desktop/FileView.h"
#include "desktop/GuiTestSupport.h"
#include "desktop/ProgressDlg.h"
#include "desktop/ScanWizard.h"
#include "res/CommandIds.h"

namespace tarvosk::test {

class StartupAndScanTest : public QObject {
  Q_OBJECT

 private slots:
  void startsOnTheLogicalDriveListWithBothTopLevelNodes() {
    FrameUnderTest t({fixtureImage("desktop-fat.img"), fixtureImage("desktop-ntfs.img")});
    CMainFrame& f = t.frame();
    QCOMPARE(f.activeView(), ActiveView::LogicalDrives);
    CLeftView* tree = f.leftView();
    QCOMPARE(tree->topLevelItemCount(), 2);
    QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("逻辑驱动器"));
    QCOMPARE(tree->topLevelItem(1)->text(0), QStringLiteral("物理驱动器"));
    QCOMPARE(tree->topLevelItem(0)->childCount(), 2);
    QCOMPARE(tree->topLevelItem(0)->child(0)->text(0), QStringLiteral("DESKTOP (C:)"));
    QCOMPARE(tree->topLevelItem(1)->child(1)->text(0), QStringLiteral("硬盘 1"));
    QAbstractItemModel* drives = f.driveView()->model();
    QCOMPARE(drives->headerData(0, Qt::Horizontal).toString(), QStringLiteral("名称"));
    QCOMPARE(drives->headerData(1, Qt::Horizontal).toString(), QStringLiteral("大小"));
    QCOMPARE(drives->headerData(2, Qt::Horizontal).toString(), QStringLiteral("类型"));
    QCOMPARE(drives->rowCount(), 2);
    QCOMPARE(drives->index(0, 1).data().toString(), QStringLiteral("33.5 Mb"));
    QCOMPARE(drives->index(0, 2).data().toString(), QStringLiteral("FAT16"));
    QCOMPARE(drives->index(1, 2).data().toString(), QStringLiteral("NTFS"));
    QVERIFY(!f.action(res::ID_REFRESH)->isEnabled());  // F5 only with the file list
    QVERIFY(!f.action(res::ID_PROPERTIES)->isEnabled());
  }

  void anAttachedImageAppearsInTheTreeAndTheDriveLists() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    t.frame().leftView()->setCurrentItem(t.frame().leftView()->physicalDrivesNode());
    QVERIFY(t.frame().attachImageFile(fixtureImage("desktop-ntfs.img")));
    QVERIFY(t.frame().leftView()->nodeByDriveCharacter(u'D'));
    QCOMPARE(t.frame().driveView()->model()->rowCount(), 2);
    QCOMPARE(t.frame().hdView()->model()->rowCount(), 2);
    QCOMPARE(t.frame().hdView()->model()->index(1, 0).data().toString(), QStringLiteral("硬盘 1"));
    QCOMPARE(t.frame().hdView()->model()->index(1, 2).data().toString(), QStringLiteral("desktop-ntfs.img"));
    QVERIFY(!t.frame().attachImageFile(QStringLiteral("/nonexistent/disk.img")));
    QCOMPARE(t.user().countCalls("messageBox("), std::size_t(1));
  }

  void theWizardOpensAtStartUpOnlyWhileTheSettingIsOn() {
    for (bool on : {true, false}) {
      FrameUnderTest t({fixtureImage("desktop-fat.img")}, on, false);
      QSignalSpy wizard(t.frame().action(res::ID_SCAN_WIZARD), &QAction::triggered);
      // The wizard, once shown, is cancelled.
      bool shown = false;
      QTimer cancel;
      connect(&cancel, &QTimer::timeout, [&shown] {
        if (auto* open = qobject_cast<CScanWizard*>(QApplication::activeModalWidget())) {
          shown = true;
          open->reject();
        }
      });
      cancel.start(5);
      t.showFrame();
      QTest::qWait(50);
      QCOMPARE(wizard.count(), on ? 1 : 0);
      QCOMPARE(shown, on);
    }
  }

  void selectingANeverScannedDriveScansItAndShowsItsRootFolder() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    QTreeWidgetItem* drive = t.frame().leftView()->nodeByDriveCharacter(u'C');
    QVERIFY(drive);
    QCOMPARE(drive->childCount(), 0);
    t.frame().leftView()->setCurrentItem(drive);
    QCOMPARE(t.frame().activeView(), ActiveView::FileList);
    QVERIFY(t.frame().fileList().GetDriveList(u"C:"));
    QCOMPARE(t.rowNames(), (QStringList{"A", "D", "Empty", "Sizes", "Docs", "Old", "Many"}));
    QCOMPARE(drive->childCount(), 7);
  }

  void aPhysicalDriveAsksFirstAndNoLeavesItEmpty() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    QTreeWidgetItem* disk = t.frame().leftView()->physicalDrivesNode()->child(0);
    t.user().queueMessageBoxResult(IDNO);
    t.frame().leftView()->setCurrentItem(disk);
    QCOMPARE(t.user().calls().size(), std::size_t(1));
    QVERIFY(QString::fromStdString(t.user().calls()[0]).contains(QStringLiteral("磁盘扫描可能要花很长时间才能完成")));
    QCOMPARE(disk->childCount(), 0);
    QCOMPARE(t.frame().fileView()->fileModel().rowCount(), 0);
    QVERIFY(!t.frame().fileList().GetDriveList(u"{:"));
  }

  void refreshRescansAndStartsTheHistoryAnew() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    QVERIFY(t.open(QStringLiteral("C:\\A\\B")));
    QVERIFY(t.frame().history().canGoBack());
    int pumps = 0;
    t.frame().setProgressHook([&](CProgressDlg&) { ++pumps; });
    QTest::keyClick(t.frame().fileView(), Qt::Key_F5);
    QVERIFY(pumps > 0);
    QCOMPARE(t.frame().leftView()->currentItem(), t.frame().leftView()->nodeByDriveCharacter(u'C'));
    QVERIFY(!t.frame().action(res::ID_BACK)->isEnabled());
    QVERIFY(!t.frame().action(res::ID_FORWARD)->isEnabled());
    QCOMPARE(t.rowNames().size(), 7);
  }

  void cancellingAScanKeepsWhatItFoundAndTheWindowStaysUsable() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    QVERIFY(t.open(QStringLiteral("C:")));
    const std::size_t whole = t.frame().fileList().GetDriveList(u"C:")->size();
    t.frame().setProgressHook([](CProgressDlg& progress) {
      QTest::mouseClick(progress.findChild<QWidget*>(QStringLiteral("id1000")), Qt::LeftButton);
    });
    t.frame().runCommand(res::ID_REFRESH);
    DriveFileList* partial = t.frame().fileList().GetDriveList(u"C:");
    QVERIFY(partial);
    QVERIFY(partial->size() >= 1);
    QVERIFY(partial->size() < whole);
    QVERIFY(!t.frame().isBusy());
    QVERIFY(t.frame().leftView()->isEnabled());
    QVERIFY(t.frame().action(res::ID_REFRESH)->isEnabled());
  }

  void closingTheWindowDuringAScanCancelsItFirst() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    bool wasBusy = false;
    t.frame().setProgressHook([&](CProgressDlg& progress) {
      wasBusy = t.frame().isBusy();
      t.frame().close();
      QVERIFY(progress.cancelled());
      QVERIFY(t.frame().isVisible());  // it stays until the scan has stopped
    });
    QVERIFY(t.frame().openPath(QStringLiteral("C:")));
    QVERIFY(wasBusy);
    QTRY_VERIFY(!t.frame().isVisible());
  }

  void theProgramRendersAnOpenedFolderIntoAPicture() {
    const QString program = qEnvironmentVariable("TARVOSK_DESKTOP");
    QVERIFY2(!program.isEmpty(), "TARVOSK_DESKTOP names the program under test");
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("docs.png"));
    QProcess run;
    run.start(program, {"--no-devices", "--image", fixtureImage("desktop-fat.img"), "--open", "C:\\Docs", "--screenshot", png});
    QVERIFY(run.waitForFinished(60000));
    QCOMPARE(run.exitCode(), 0);
    QImage picture(png);
    QVERIFY(!picture.isNull());
    QVERIFY(picture.width() >= 600);
    run.start(program, {"--no-devices", "--image", fixtureImage("desktop-fat.img"), "--open", "C:\\Nowhere", "--screenshot", png});
    QVERIFY(run.waitForFinished(60000));
    QCOMPARE(run.exitCode(), 1);
  }
};

TARVOSK_GUI_TEST(StartupAndScanTest);

}  // namespace tarvosk::test

#include "StartupAndScanTest.moc"
