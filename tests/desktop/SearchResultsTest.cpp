// The search results view over searches of volumes made by mtools: its cells, its sort, its
// status texts, going to a result's folder, and a content search of a 1 GiB volume cancelled
// half way (tests/images/build-search-fixtures.sh).
#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QItemSelectionModel>

#include "desktop/FileView.h"
#include "desktop/GuiTestSupport.h"
#include "desktop/ProgressDlg.h"
#include "desktop/QtText.h"
#include "desktop/SearchView.h"
#include "res/CommandIds.h"

namespace tarvosk::test {

namespace {

QString resultCell(CMainFrame& frame, int row, ResultColumn column) {
  SearchResultsModel& model = frame.searchView()->resultsModel();
  return model.data(model.index(row, static_cast<int>(column))).toString();
}

int resultRowNamed(CMainFrame& frame, const QString& name) {
  for (int row = 0; row < frame.searchView()->resultsModel().rowCount(); ++row)
    if (resultCell(frame, row, ResultColumn::Name) == name) return row;
  return -1;
}

QStringList resultSizes(CMainFrame& frame) {
  QStringList sizes;
  for (int row = 0; row < frame.searchView()->resultsModel().rowCount(); ++row) sizes << resultCell(frame, row, ResultColumn::Size);
  return sizes;
}

void selectRows(CSearchView& view, int first, int last) {
  const QItemSelection rows(view.model()->index(first, 0), view.model()->index(last, 0));
  view.selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

}  // namespace

class SearchResultsTest : public QObject {
  Q_OBJECT

 private slots:
  void noMatchShowsAnEmptyList() {
    FrameUnderTest t({fixtureImage("search-fat.img")});
    QVERIFY(t.open(QStringLiteral("C:")));
    QVERIFY(t.frame().runSearch(u'C', u"C:\\", u"nothing like it", {}));
    QCOMPARE(t.frame().activeView(), ActiveView::SearchResults);
    QCOMPARE(t.frame().searchView()->resultsModel().rowCount(), 0);
    QCOMPARE(t.frame().statusText(), QStringLiteral("找到 0 个文件"));
  }

  void rowsShowFolderSizeAndTypeSortBySizeAndCountTheSelection() {
    FrameUnderTest t({fixtureImage("search-fat.img")});
    CMainFrame& f = t.frame();
    QAbstractItemModelTester tester(&f.searchView()->resultsModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(t.open(QStringLiteral("C:")));
    QVERIFY(f.runSearch(u'C', u"C:\\", u"*", {}));
    QCOMPARE(f.statusText(), QStringLiteral("找到 6 个文件"));
    QCOMPARE(resultCell(f, resultRowNamed(f, QStringLiteral("deep file.txt")), ResultColumn::Folder), QStringLiteral("A\\B\\"));
    QCOMPARE(resultCell(f, resultRowNamed(f, QStringLiteral("root file.txt")), ResultColumn::Folder), QString());
    const std::pair<const char*, const char*> sizes[] = {
        {"size of 1000.bin", "1000 字节"}, {"size of 1536.bin", "1.5 KB"}, {"size of 3145728.bin", "3.0 MB"}};
    for (const auto& [name, text] : sizes)
      QCOMPARE(resultCell(f, resultRowNamed(f, QString::fromUtf8(name)), ResultColumn::Size), QString::fromUtf8(text));
    QCOMPARE(resultCell(f, resultRowNamed(f, QStringLiteral("size of 1000.bin")), ResultColumn::Type),
             QStringLiteral("已删除的文件 (BIN)"));

    QHeaderView* header = f.searchView()->header();
    const QPoint sizeHeader(header->sectionViewportPosition(2) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeHeader);
    QCOMPARE(resultSizes(f), (QStringList{"5 字节", "6 字节", "6 字节", "1000 字节", "1.5 KB", "3.0 MB"}));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeHeader);
    QCOMPARE(resultSizes(f), (QStringList{"3.0 MB", "1.5 KB", "1000 字节", "6 字节", "6 字节", "5 字节"}));
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);

    CSearchView& view = *f.searchView();
    selectRows(view, 0, 2);
    QCOMPARE(f.statusText(), QStringLiteral("选定 3 个文件"));
    QVERIFY(f.action(res::ID_UNDELETE)->isEnabled());
    QVERIFY(!f.action(res::ID_GO_TO_FOLDER)->isEnabled());
    selectRows(view, 1, 1);
    QCOMPARE(f.statusText(), QStringLiteral("找到 6 个文件"));
    QCOMPARE(view.selectedEntries().front()->name, u"size of 1536.bin");
    QVERIFY(f.action(res::ID_VIEW_AS_BINARY)->isEnabled());
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(view.selectedEntries().size(), std::size_t(6));
  }

  void goToContainingFolderSelectsTheFolderAndTheEntry() {
    FrameUnderTest t({fixtureImage("search-fat.img")});
    CMainFrame& f = t.frame();
    QVERIFY(t.open(QStringLiteral("C:")));
    // A live Twin and a deleted one lie side by side; old twin.txt lies in the deleted one.
    for (const char16_t* name : {u"deep file.txt", u"old twin.txt"}) {
      QVERIFY(f.runSearch(u'C', u"C:\\", name, {}));
      FileEntry* result = f.searchView()->selectedEntries().at(0);
      f.runCommand(res::ID_GO_TO_FOLDER);
      QCOMPARE(f.activeView(), ActiveView::FileList);
      QCOMPARE(CLeftView::recordOf(f.leftView()->currentItem()).entryId, result->parentId);
      const std::vector<FileEntry*> shown = f.fileView()->selectedEntries();
      QCOMPARE(shown.size(), std::size_t(1));
      QCOMPARE(shown[0], result);
    }
    QCOMPARE(f.leftView()->currentItem()->text(0), QStringLiteral("Twin"));
    QVERIFY(f.fileView()->fileModel().folder()->deleted);
  }

  void aContentSearchOfAGigabyteStopsWithinASecondOfCancelAndKeepsWhatItFound() {
    FrameUnderTest t({fixtureImage("search-1g.img")});
    CMainFrame& f = t.frame();
    QVERIFY(t.open(QStringLiteral("C:")));
    QElapsedTimer sinceCancel;
    // Visited so far: the root, first needle.txt, and now zeros.bin, 390 MiB being read.
    f.setProgressHook([&](CProgressDlg& progress) {
      if (!sinceCancel.isValid() && progress.findChild<QWidget*>(QStringLiteral("id1001"))->property("value").toInt() >= 3) {
        sinceCancel.start();
        progress.cancel();
      }
    });
    SearchCriteria needle;
    needle.contentText = u"needle";
    QVERIFY(f.runSearch(u'C', u"C:\\", u"*", needle));
    QVERIFY(sinceCancel.isValid());
    QVERIFY2(sinceCancel.elapsed() < 1000, qPrintable(QStringLiteral("%1 ms").arg(sinceCancel.elapsed())));
    QCOMPARE(f.searchView()->resultsModel().rowCount(), 1);
    QCOMPARE(resultCell(f, 0, ResultColumn::Name), QStringLiteral("first needle.txt"));
    f.setProgressHook(nullptr);
  }
};

TARVOSK_GUI_TEST(SearchResultsTest);

}  // namespace tarvosk::test

#include "SearchResultsTest.moc"
