// Browsing a scanned drive: the navigation history, the file list's cells, its sorting, its
// type-ahead and status texts, empty folders, and the models under Qt's own model checks.
#include <QAbstractItemModelTester>
#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>

#include "desktop/DriveView.h"
#include "desktop/FileView.h"
#include "desktop/GuiTestSupport.h"
#include "res/CommandIds.h"
#include "settings/Settings.h"

namespace tarvosk::test {

class FileListTest : public QObject {
  Q_OBJECT

 private slots:
  void backTwiceThenAnotherFolderDropsTheForwardPart() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    CMainFrame& f = t.frame();
    QTreeWidgetItem* c = t.open(QStringLiteral("C:"));
    f.runCommand(res::ID_REFRESH);  // the history starts anew at C:
    QTreeWidgetItem* a = t.open(QStringLiteral("C:\\A"));
    QTreeWidgetItem* b = t.open(QStringLiteral("C:\\A\\B"));
    QVERIFY(c && a && b);
    f.runCommand(res::ID_BACK);
    QCOMPARE(f.leftView()->currentItem(), a);
    QVERIFY(f.action(res::ID_FORWARD)->isEnabled());
    f.runCommand(res::ID_BACK);
    QCOMPARE(f.leftView()->currentItem(), c);
    QVERIFY(!f.action(res::ID_BACK)->isEnabled());
    QTreeWidgetItem* d = t.open(QStringLiteral("C:\\D"));
    QCOMPARE(f.history().nodes(), (std::vector<QTreeWidgetItem*>{c, d}));
    QCOMPARE(f.history().current(), d);
    QVERIFY(f.action(res::ID_BACK)->isEnabled());
    QVERIFY(!f.action(res::ID_FORWARD)->isEnabled());
  }

  void cellsShowSizesTypesAndTheNtfsFileNameTime() {
    FrameUnderTest t({fixtureImage("desktop-fat.img"), fixtureImage("desktop-ntfs.img")});
    QVERIFY(t.open(QStringLiteral("C:\\Sizes")));
    const std::pair<const char*, const char*> sizes[] = {{"size of 1023.bin", "1023 字节"},
                                                         {"size of 1024.bin", "1.0 KB"},
                                                         {"size of 1048575.bin", "1024.0 KB"},
                                                         {"size of 1048576.bin", "1.0 MB"}};
    for (const auto& [name, text] : sizes) QCOMPARE(t.cell(t.rowNamed(QString::fromUtf8(name)), 1), QString::fromUtf8(text));
    QVERIFY(t.open(QStringLiteral("C:\\Docs")));
    const int report = t.rowNamed(QStringLiteral("Report of May.doc"));
    QCOMPARE(t.cell(report, 2), QStringLiteral("已删除的文件 (DOC)"));
    QCOMPARE(t.cell(report, 4), QStringLiteral("可能较好"));
    QVERIFY(t.open(QStringLiteral("C:")));
    QCOMPARE(t.cell(t.rowNamed(QStringLiteral("Old")), 2), QStringLiteral("已删除的文件夹"));
    QCOMPARE(t.cell(t.rowNamed(QStringLiteral("A")), 2), QStringLiteral("文件夹"));
    QCOMPARE(t.cell(t.rowNamed(QStringLiteral("A")), 1), QString());
    // The file's own time is 2003-03-03; the view shows the time of its name, as the folder saw it.
    QVERIFY(t.open(QStringLiteral("D:\\Times")));
    QCOMPARE(t.cell(t.rowNamed(QStringLiteral("stamped.txt")), 3), QStringLiteral("01/01/2001  00:00"));
    QVERIFY(t.open(QStringLiteral("D:\\Big")));
    QCOMPARE(t.cell(t.rowNamed(QStringLiteral("huge.bin")), 1), QStringLiteral("4096.0 MB"));
  }

  void theNameHeaderTwicePutsTheFoldersAfterTheFiles() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    QVERIFY(t.open(QStringLiteral("C:\\A")));
    QHeaderView* header = t.frame().fileView()->header();
    const int x = header->sectionViewportPosition(0) + 5;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    QCOMPARE(t.rowNames(), (QStringList{"B", "a file.txt"}));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    QCOMPARE(t.rowNames(), (QStringList{"a file.txt", "B"}));
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    // The order is the folder's own: it stays when the folder is shown again.
    QVERIFY(t.open(QStringLiteral("C:\\D")));
    QVERIFY(t.open(QStringLiteral("C:\\A")));
    QCOMPARE(t.rowNames(), (QStringList{"a file.txt", "B"}));
  }

  void autoSortSortsEachFolderAsItIsShown() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    settings().UseAutoSort = true;
    QVERIFY(t.open(QStringLiteral("C:\\Docs")));
    QCOMPARE(t.rowNames(), (QStringList{"holiday photo.jpg", "my notes.txt", "rep sheet.xls", "Report of May.doc"}));
    QVERIFY(t.frame().fileView()->header()->isSortIndicatorShown());
    settings().UseAutoSort = false;
    QVERIFY(t.open(QStringLiteral("C:\\A")));
    QVERIFY(!t.frame().fileView()->header()->isSortIndicatorShown());
    QCOMPARE(t.rowNames(), (QStringList{"B", "a file.txt"}));  // the order of the volume
  }

  void typeAheadFindsTheNextNameWrappingRound() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    QVERIFY(t.open(QStringLiteral("C:\\Docs")));
    CFileView* view = t.frame().fileView();
    view->sortByColumn(0);  // holiday photo.jpg, my notes.txt, rep sheet.xls, Report of May.doc
    QCOMPARE(t.cell(3, 0), QStringLiteral("Report of May.doc"));
    view->selectionModel()->setCurrentIndex(view->model()->index(3, 0), QItemSelectionModel::ClearAndSelect);
    view->setFocus();
    QTest::keyClicks(view, QStringLiteral("rep"));
    QCOMPARE(view->currentIndex().row(), 2);  // the search began after the current row and wrapped round
  }

  void theStatusBarCountsRowsOrTheSelection() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    QVERIFY(t.open(QStringLiteral("C:\\Docs")));
    QCOMPARE(t.frame().statusText(), QStringLiteral("4 个文件和文件夹"));
    CFileView* view = t.frame().fileView();
    const QItemSelection three(view->model()->index(0, 0), view->model()->index(2, 0));
    view->selectionModel()->select(three, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QCOMPARE(t.frame().statusText(), QStringLiteral("已选定 3 个对象"));
    QVERIFY(t.frame().action(res::ID_UNDELETE)->isEnabled());
    QVERIFY(!t.frame().action(res::ID_VIEW_AS_BINARY)->isEnabled());
    QVERIFY(!t.frame().action(res::ID_PROPERTIES)->isEnabled());
  }

  void emptyFoldersHideFromTreeAndListAndTheRootNeverShows() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    settings().ShowEmptyFolders = false;
    QTreeWidgetItem* drive = t.open(QStringLiteral("C:"));
    QCOMPARE(t.rowNames(), (QStringList{"A", "D", "Sizes", "Docs", "Old", "Many"}));
    QStringList nodes;
    for (int i = 0; i < drive->childCount(); ++i) nodes << drive->child(i)->text(0);
    QCOMPARE(nodes, (QStringList{"A", "D", "Sizes", "Docs", "Old", "Many"}));
    for (int row = 0; row < t.frame().fileView()->fileModel().rowCount(); ++row)
      QVERIFY(t.frame().fileView()->fileModel().entryAt(row)->id != ROOT_ENTRY_ID);
  }

  void theModelsPassQtsModelChecks() {
    FrameUnderTest t({fixtureImage("desktop-fat.img"), fixtureImage("desktop-ntfs.img")});
    QAbstractItemModelTester files(&t.frame().fileView()->fileModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester drives(t.frame().driveView()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(t.open(QStringLiteral("C:\\Docs")));
    for (int column = 0; column < 5; ++column) t.frame().fileView()->sortByColumn(column);
    QVERIFY(t.open(QStringLiteral("D:\\Times")));
    QVERIFY(t.open(QStringLiteral("C:")));
    t.frame().driveView()->fill(false);
  }
};

TARVOSK_GUI_TEST(FileListTest);

}  // namespace tarvosk::test

#include "FileListTest.moc"
