// The cluster and data viewer opened from the main window: its unit list with the units in use
// in red, the caption and bytes of the unit shown, the hex view's copy, and the recovery of the
// whole file or of the selected units; NTFS files kept in their record or compressed.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>

#include "desktop/FileView.h"
#include "desktop/GuiTestSupport.h"
#include "desktop/HexView.h"
#include "desktop/ObjectIds.h"
#include "desktop/QtText.h"
#include "desktop/ViewerDlg.h"
#include "res/CommandIds.h"
#include "res/StringIds.h"
#include "res/StringTable.h"

namespace tarvosk::test {

namespace {

QByteArray fixtureBytes(const char* name) {
  QFile file(fixtureImage(name));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray bytesOf(const HexView& view) {
  return QByteArray(reinterpret_cast<const char*>(view.bytes().data()), static_cast<qsizetype>(view.bytes().size()));
}

QStringList rowTexts(const QListView& list) {
  QStringList texts;
  for (int row = 0; row < list.model()->rowCount(); ++row) texts << list.model()->index(row, 0).data().toString();
  return texts;
}

QPushButton* button(QWidget& dialog, unsigned id) { return dialog.findChild<QPushButton*>(objectIdName(id)); }

// Runs command 142 on the named row, acting on the viewer it opens.
void inViewer(FrameUnderTest& t, const QString& row, const std::function<void(CViewerDlg&)>& act) {
  QVERIFY(t.selectRows({row}));
  ModalWatcher watcher([&](QWidget& w) {
    if (auto* viewer = qobject_cast<CViewerDlg*>(&w)) {
      act(*viewer);
      if (viewer->isVisible()) viewer->reject();  // a failed check leaves it open
    }
  });
  t.frame().runCommand(res::ID_VIEW_AS_BINARY);
  QCOMPARE(watcher.seen(), 1);
}

}  // namespace

class ViewerTest : public QObject {
  Q_OBJECT

 private slots:
  void aFatFileShowsItsClustersAndTheLastOnesBytesAndComesBackWhole() {
    FrameUnderTest t({fixtureImage("preview-fat.img")});
    QTemporaryDir target;
    t.user().setDefaultFolderChoice(u16(target.path()));
    QVERIFY(t.open(QStringLiteral("C:")));
    const QByteArray tenk = fixtureBytes("preview-files/tenk.bin");
    inViewer(t, QStringLiteral("?ENK.BIN"), [&](CViewerDlg& v) {
      QCOMPARE(v.windowTitle(), QStringLiteral("文件查看器"));
      QCOMPARE(rowTexts(*v.unitList()), (QStringList{"100", "101", "102"}));
      QCOMPARE(v.dataCaption()->text(), QStringLiteral("数据查看器: 正在显示簇 100"));
      QCOMPARE(bytesOf(*v.dataView()), tenk.left(4096));
      v.unitList()->setCurrentIndex(v.unitList()->model()->index(2, 0));
      QCOMPARE(v.dataCaption()->text(), QStringLiteral("数据查看器: 正在显示簇 102"));
      QCOMPARE(bytesOf(*v.dataView()), tenk.mid(8192));  // 1808 bytes
      QCOMPARE(v.unitList()->model()->index(2, 0).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
      v.dataView()->select(0, 2, false);
      v.dataView()->setFocus();
      QTest::keySequence(v.dataView(), QKeySequence::Copy);
      QCOMPARE(QApplication::clipboard()->text(), QString::fromLatin1(tenk.mid(8192, 3).toHex(' ').toUpper()));
      button(v, res::IDC_UNDELETE_ALL)->click();
    });
    QCOMPARE(fixtureBytes("preview-files/tenk.bin"), tenk);
    QFile recovered(target.filePath(QStringLiteral("_ENK.BIN")));
    QVERIFY(recovered.open(QIODevice::ReadOnly));
    QCOMPARE(recovered.readAll(), tenk);
  }

  void aClusterInUseIsRedAndOnlyTheSelectedBlackOnesComeBackOneAfterAnother() {
    FrameUnderTest t({fixtureImage("preview-fat.img")});
    QTemporaryDir target;
    t.user().setDefaultFolderChoice(u16(target.path()));
    QVERIFY(t.open(QStringLiteral("C:")));
    inViewer(t, QStringLiteral("?EUSED.BIN"), [&](CViewerDlg& v) {
      QAbstractItemModel& model = *v.unitList()->model();
      QCOMPARE(rowTexts(*v.unitList()), (QStringList{"103", "104", "105"}));
      QCOMPARE(model.index(0, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
      QVERIFY(!model.index(1, 0).data(Qt::ForegroundRole).isValid());
      QVERIFY(!model.index(2, 0).data(Qt::ForegroundRole).isValid());
      v.unitList()->selectionModel()->clearSelection();
      QVERIFY(!button(v, res::IDC_UNDELETE_SELECTION)->isEnabled());
      v.unitList()->selectionModel()->select(QItemSelection(model.index(1, 0), model.index(2, 0)), QItemSelectionModel::Select);
      QVERIFY(button(v, res::IDC_UNDELETE_SELECTION)->isEnabled());
      button(v, res::IDC_UNDELETE_SELECTION)->click();
    });
    QFile recovered(target.filePath(QStringLiteral("_EUSED.BIN")));
    QVERIFY(recovered.open(QIODevice::ReadOnly));
    QCOMPARE(recovered.readAll(), fixtureBytes("preview-files/reused.bin").mid(4096));
  }

  void ntfsFilesInTheirRecordShowAtOnceAndCompressedOnesAreAnnounced() {
    FrameUnderTest t({fixtureImage("recover-ntfs.img")});
    QVERIFY(t.open(QStringLiteral("C:")));
    inViewer(t, QStringLiteral("resident.bin"), [&](CViewerDlg& v) {
      QCOMPARE(v.unitList()->model()->rowCount(), 0);
      QVERIFY(!button(v, res::IDC_UNDELETE_SELECTION)->isEnabled());
      QCOMPARE(bytesOf(*v.dataView()), fixtureBytes("recover-files/resident.bin"));
      QCOMPARE(v.dataCaption()->text(), QStringLiteral("数据查看器"));
    });
    QVERIFY(t.open(QStringLiteral("C:\\comp")));
    t.user().clearCalls();
    inViewer(t, QStringLiteral("text.txt"), [&](CViewerDlg& v) {
      QVERIFY(v.unitList()->model()->rowCount() > 0);
      QVERIFY(!v.dataView()->bytes().empty());
    });
    QCOMPARE(t.user().calls().front(), "messageBox(" + quotedForCalls(std::u16string(loadString(res::IDS_VIEWER_FILE_COMPRESSED))) +
                                           ", \"Tarvosk\", 0x40)");
  }
};

TARVOSK_GUI_TEST(ViewerTest);

}  // namespace tarvosk::test

#include "ViewerTest.moc"
