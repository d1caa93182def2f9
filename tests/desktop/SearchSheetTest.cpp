// The search command and its sheet: the look-in path of the selected folder, the pages' first
// state and the enabling of their controls, pages never opened, the folder browser, and the
// "Search(N)" nodes the searches add (search-fat.img, tests/images/build-search-fixtures.sh).
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "desktop/GuiTestSupport.h"
#include "desktop/LookInBrowseDlg.h"
#include "desktop/QtText.h"
#include "desktop/SearchView.h"
#include "res/CommandIds.h"

namespace tarvosk::test {

namespace {

template <class Widget>
Widget* control(QWidget& dialog, unsigned id) {
  auto* widget = dialog.findChild<Widget*>(QStringLiteral("id%1").arg(id));
  if (!widget) qFatal("no control %u", id);
  return widget;
}

// A click on the box of a check box or radio button (the row beyond its text takes no clicks).
void clickBox(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2)); }

QStringList topLevelTexts(CLeftView& tree) {
  QStringList texts;
  for (int i = 0; i < tree.topLevelItemCount(); ++i) texts << tree.topLevelItem(i)->text(0);
  return texts;
}

}  // namespace

class SearchSheetTest : public QObject {
  Q_OBJECT

 private slots:
  void theSheetStartsFromTheSelectedFolderAndEnablesItsControlsOnEveryClick() {
    FrameUnderTest t({fixtureImage("search-fat.img")});
    QVERIFY(t.open(QStringLiteral("C:\\A\\B")));
    withDialog(t.frame(), res::ID_SEARCH, [](QDialog& d) {
      QCOMPARE(d.windowTitle(), QStringLiteral("查找已删除的文件"));
      QCOMPARE(control<QPushButton>(d, res::IDOK_BUTTON)->text(), QStringLiteral("立即查找"));
      QCOMPARE(d.findChildren<QPushButton*>().size(), qsizetype(3));  // 立即查找, 取消 and 浏览: no Apply
      auto* pages = d.findChild<QTabWidget*>();
      QCOMPARE(pages->tabText(0) + pages->tabText(1) + pages->tabText(2), QStringLiteral("名称大小和日期内容"));
      QCOMPARE(control<QLineEdit>(d, res::IDC_SEARCH_FILE_NAME)->text(), QStringLiteral("*"));
      QCOMPARE(control<QLineEdit>(d, res::IDC_SEARCH_LOOK_IN)->text(), QStringLiteral("C:\\A\\B\\"));

      QWidget& sizeDate = *control<QWidget>(d, res::IDD_SEARCH_SIZE_DATE);
      auto* size = control<QCheckBox>(sizeDate, res::IDC_SEARCH_SIZE);
      auto* date = control<QCheckBox>(sizeDate, res::IDC_SEARCH_DATE);
      auto* lastTwoDays = control<QRadioButton>(sizeDate, res::IDC_SEARCH_LAST_TWO_DAYS);
      auto* between = control<QRadioButton>(sizeDate, res::IDC_SEARCH_BETWEEN);
      auto* combo = control<QComboBox>(sizeDate, res::IDC_SEARCH_AT_LEAST);
      auto* from = control<QDateTimeEdit>(sizeDate, res::IDC_SEARCH_DATE_FROM);
      auto* to = control<QDateTimeEdit>(sizeDate, res::IDC_SEARCH_DATE_TO);
      QVERIFY(!size->isChecked() && !date->isChecked() && lastTwoDays->isChecked());
      QCOMPARE(combo->currentText(), QStringLiteral("最少"));
      pages->setCurrentIndex(1);
      // After each click: size controls, date radios, date pickers.
      struct Step {
        QAbstractButton* click;
        bool sizeOn, radiosOn, pickersOn;
      } steps[] = {{nullptr, false, false, false}, {size, true, false, false},  {date, true, true, false},
                   {between, true, true, true},    {size, false, true, true},   {lastTwoDays, false, true, false},
                   {between, false, true, true},   {date, false, false, false}};
      for (const Step& s : steps) {
        if (s.click) clickBox(s.click);
        QCOMPARE(combo->isEnabled(), s.sizeOn);
        QCOMPARE(control<QLineEdit>(sizeDate, res::IDC_SEARCH_KB)->isEnabled(), s.sizeOn);
        QCOMPARE(lastTwoDays->isEnabled() && between->isEnabled(), s.radiosOn);
        QCOMPARE(from->isEnabled(), s.pickersOn);
        QCOMPARE(to->isEnabled(), s.pickersOn);
      }

      QWidget& content = *control<QWidget>(d, res::IDD_SEARCH_CONTENT);
      pages->setCurrentIndex(2);
      auto* text = control<QLineEdit>(content, res::IDC_SEARCH_TEXT);
      auto* hex = control<QLineEdit>(content, res::IDC_SEARCH_HEX);
      QVERIFY(control<QRadioButton>(content, res::IDC_SEARCH_TEXT_MODE)->isChecked());
      QVERIFY(text->isEnabled() && !hex->isEnabled());
      clickBox(control<QRadioButton>(content, res::IDC_SEARCH_HEX_MODE));
      QVERIFY(!text->isEnabled() && hex->isEnabled() && d.focusWidget() == hex);
      QVERIFY(!control<QCheckBox>(content, res::IDC_SEARCH_MATCH_CASE)->isEnabled());
      clickBox(control<QRadioButton>(content, res::IDC_SEARCH_TEXT_MODE));
      QVERIFY(text->isEnabled() && !hex->isEnabled() && d.focusWidget() == text);
    });
    QCOMPARE(topLevelTexts(*t.frame().leftView()).size(), qsizetype(2));  // cancelled: no search
  }

  void pagesNeverOpenedSearchForEveryFileAndTheBrowserPicksAScannedFolder() {
    FrameUnderTest t({fixtureImage("search-fat.img")});
    QVERIFY(t.open(QStringLiteral("C:")));
    withDialog(t.frame(), res::ID_SEARCH, [&](QDialog& d) {
      auto* lookIn = control<QLineEdit>(d, res::IDC_SEARCH_LOOK_IN);
      QCOMPARE(lookIn->text(), QStringLiteral("C:\\"));
      withDialogOf(control<QPushButton>(d, res::IDC_SEARCH_BROWSE), [&](QDialog& b) {
        auto* browser = qobject_cast<CLookInBrowseDlg*>(&b);
        QVERIFY(browser);
        QTreeWidgetItem* drive = browser->folders()->topLevelItem(0);
        QCOMPARE(drive->text(0), QStringLiteral("C:\\"));
        QTreeWidgetItem* a = nullptr;
        for (int i = 0; i < drive->childCount(); ++i)
          if (drive->child(i)->text(0) == QStringLiteral("A")) a = drive->child(i);
        QVERIFY(a);
        a->setExpanded(true);
        QCOMPARE(a->childCount(), 1);
        browser->folders()->setCurrentItem(a->child(0));
        b.accept();
      });
      QCOMPARE(lookIn->text(), QStringLiteral("C:\\A\\B\\"));
      withDialogOf(control<QPushButton>(d, res::IDC_SEARCH_BROWSE), [&](QDialog& b) {
        QCOMPARE(qobject_cast<CLookInBrowseDlg*>(&b)->folders()->currentItem()->text(0), QStringLiteral("B"));
        b.findChild<QLineEdit*>()->setText(QStringLiteral("C:\\A\\Nowhere"));
        b.accept();
        QVERIFY(b.isVisible());  // the typed folder is not on the drive
      });
      QCOMPARE(t.user().countCalls("messageBox(\"路径无效\", \"Tarvosk\", 0x30)"), std::size_t(1));
      QCOMPARE(lookIn->text(), QStringLiteral("C:\\A\\B\\"));
      lookIn->setText(QStringLiteral("C:\\"));
      d.accept();
    });
    // The size, date and content pages were never opened: no size, date or content test.
    QCOMPARE(t.frame().activeView(), ActiveView::SearchResults);
    QCOMPARE(t.frame().leftView()->currentItem()->text(0), QStringLiteral("Search(1)"));
    QCOMPARE(t.frame().searchView()->resultsModel().rowCount(), 6);
  }

  void searchesAreNumberedAClosedNumberComesBackAndARescanRemovesThem() {
    FrameUnderTest t({fixtureImage("search-fat.img")});
    CMainFrame& f = t.frame();
    QVERIFY(t.open(QStringLiteral("C:")));
    QVERIFY(f.runSearch(u'C', u"C:\\", u"*", {}));
    QVERIFY(f.runSearch(u'C', u"C:\\", u"*.bin", {}));
    CLeftView& tree = *f.leftView();
    QCOMPARE(topLevelTexts(tree), (QStringList{"逻辑驱动器", "物理驱动器", "Search(1)", "Search(2)"}));
    QCOMPARE(tree.currentItem(), tree.topLevelItem(3));
    QCOMPARE(f.searchView()->resultsModel().rowCount(), 3);
    tree.selectNode(tree.topLevelItem(2));
    f.runCommand(res::ID_CLOSE_SEARCH);
    QCOMPARE(topLevelTexts(tree), (QStringList{"逻辑驱动器", "物理驱动器", "Search(2)"}));
    QVERIFY(!f.fileList().lists().count(u"Search(1)"));
    QVERIFY(t.open(QStringLiteral("C:\\A")));
    QVERIFY(f.runSearch(u'C', u"C:\\A\\", u"*", {}));
    QCOMPARE(topLevelTexts(tree), (QStringList{"逻辑驱动器", "物理驱动器", "Search(2)", "Search(1)"}));
    QCOMPARE(f.searchView()->resultsModel().rowCount(), 1);
    // Scanning the drive again takes its searches away, nodes and result sets.
    QVERIFY(t.open(QStringLiteral("C:")));
    f.runCommand(res::ID_REFRESH);
    QCOMPARE(topLevelTexts(tree), (QStringList{"逻辑驱动器", "物理驱动器"}));
    for (const auto& [key, list] : f.fileList().lists()) QVERIFY(!qstr(key).startsWith(QStringLiteral("Search(")));
  }
};

TARVOSK_GUI_TEST(SearchSheetTest);

}  // namespace tarvosk::test

#include "SearchSheetTest.moc"
