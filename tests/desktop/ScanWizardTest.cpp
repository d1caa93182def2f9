// The scan wizard from the main window: its pages and buttons for each scan type, the drive
// check, the range that follows the drive, the type tree, and the scan that Finish starts; and
// the range slider on its own.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTreeView>
#include <QtEndian>
#include <algorithm>

#include "desktop/GuiTestSupport.h"
#include "desktop/ObjectIds.h"
#include "desktop/QtText.h"
#include "desktop/RangeSlider.h"
#include "desktop/ScanWizard.h"
#include "desktop/TriStateTreeCtrl.h"
#include "platform/Registry.h"
#include "platform/WinError.h"
#include "res/CommandIds.h"
#include "res/TextResources.h"
#include "settings/Settings.h"
#include "types/TypeTable.h"

namespace tarvosk::test {

namespace {

using namespace res;

// A control of the page shown (pages 1 and 3 both have a check box 1022).
template <typename Control>
Control* control(QWizard& wizard, unsigned id) {
  auto* found = wizard.currentPage()->findChild<Control*>(objectIdName(id));
  if (!found) qFatal("no control %u", id);
  return found;
}

void press(QWizard& wizard, QWizard::WizardButton which) { QTest::mouseClick(wizard.button(which), Qt::LeftButton); }

void chooseType(QWizard& wizard, unsigned radio) {
  control<QRadioButton>(wizard, radio)->click();
  press(wizard, QWizard::NextButton);
}

QTreeView* driveList(QWizard& wizard) { return control<QTreeView>(wizard, IDC_WIZARD_DRIVE_LIST); }

void chooseDrive(QWizard& wizard, int row) {
  QTreeView* list = driveList(wizard);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(row, 0)).center());
}

// Pages 1 and 2 of a physical or thorough scan, ending with Next on page 2.
void chooseTypeAndDrive(QWizard& wizard, unsigned radio, int row) {
  chooseType(wizard, radio);
  chooseDrive(wizard, row);
  press(wizard, QWizard::NextButton);
}

// Types a number into an edit and leaves it, as a user moving on to another control does. The
// focus is taken away by an event of its own: the offscreen platform does not always give the
// modal wizard's window the focus.
void type(QLineEdit* edit, const QString& number) {
  edit->selectAll();
  QTest::keyClicks(edit, number);
  QFocusEvent left(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(edit, &left);
}

void toggle(CTriStateTreeCtrl* tree, QTreeWidgetItem* node) {
  tree->setCurrentItem(node);
  QTest::keyClick(tree, Qt::Key_Space);
}

QTreeWidgetItem* typeNode(CTriStateTreeCtrl* tree, const QString& text) {
  const QList<QTreeWidgetItem*> found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
  if (found.size() != 1) qFatal("no single type node %s", qPrintable(text));
  return found[0];
}

// Runs the wizard command, acting on the wizard once it is shown.
void withWizard(CMainFrame& frame, const std::function<void(CScanWizard&)>& act) {
  withDialog(frame, ID_SCAN_WIZARD, [&](QDialog& dialog) {
    auto* wizard = qobject_cast<CScanWizard*>(&dialog);
    QVERIFY(wizard);
    QVERIFY(QTest::qWaitForWindowActive(wizard));
    act(*wizard);
  });
}

// The stored value of the start-up setting, or -1 when it was never saved.
int storedShowWizardOnStartUp() {
  HKEY key = nullptr;
  DWORD value = 0, size = sizeof value, type = 0;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
  const LONG read = RegQueryValueExW(key, u"ShowWizardOnStartUp", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return read == ERROR_SUCCESS ? static_cast<int>(value) : -1;
}

// The first sectors of the deleted JPEGs of a carving fixture, as sleuthkit sees them.
std::vector<qint64> jpegSectors(const QString& image) {
  QFile starts(image + QStringLiteral(".starts"));
  if (!starts.open(QIODevice::ReadOnly)) qFatal("no %s.starts", qPrintable(image));
  std::vector<qint64> sectors;
  for (const QByteArray& line : starts.readAll().split('\n'))
    if (const QList<QByteArray> fields = line.split('\t'); fields.size() == 3 && fields[0].endsWith(".jpg"))
      sectors.push_back(fields[1].toLongLong());
  std::sort(sectors.begin(), sectors.end());
  return sectors;
}

// The cluster that begins at a sector of a bare FAT32 volume, from the volume's boot sector.
qint64 fat32ClusterAt(const QString& image, qint64 sector) {
  QFile volume(image);
  if (!volume.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(image));
  const QByteArray boot = volume.read(512);
  if (boot.size() != 512) qFatal("no boot sector in %s", qPrintable(image));
  const auto* b = reinterpret_cast<const uchar*>(boot.constData());
  const qint64 firstData = qFromLittleEndian<quint16>(b + 14) + qint64(b[16]) * qFromLittleEndian<quint32>(b + 36);
  return (sector - firstData) / b[13] + 2;
}

}  // namespace

class ScanWizardTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { filterRegistry().EnableAll(true); }

  void aBasicScanEndsOnTheDrivePageWithStartAndScansTheDrive() {
    FrameUnderTest t({fixtureImage("desktop-fat.img"), fixtureImage("desktop-ntfs.img")});
    withWizard(t.frame(), [&](CScanWizard& w) {
      QCOMPARE(w.windowTitle(), QStringLiteral("Tarvosk - 扫描向导"));
      QCOMPARE(w.currentId(), int(IDD_WIZARD_SCAN_TYPE));
      QVERIFY(control<QRadioButton>(w, IDC_BASIC_SCAN)->isChecked());
      auto* description = control<QPlainTextEdit>(w, IDC_SCAN_DESCRIPTION);
      QCOMPARE(description->toPlainText(), qstr(loadTextResource(IDR_BASIC_SCAN_TEXT)));
      control<QRadioButton>(w, IDC_THOROUGH_SCAN)->click();
      QCOMPARE(description->toPlainText(), qstr(loadTextResource(IDR_THOROUGH_SCAN_TEXT)));
      auto* startUp = control<QCheckBox>(w, IDC_SHOW_WIZARD_AT_STARTUP);
      QVERIFY(!startUp->isChecked());
      chooseType(w, IDC_BASIC_SCAN);
      QCOMPARE(storedShowWizardOnStartUp(), -1);  // an unchanged box saves nothing
      press(w, QWizard::BackButton);
      startUp->click();
      press(w, QWizard::NextButton);
      QVERIFY(settings().ShowWizardOnStartUp);
      QCOMPARE(storedShowWizardOnStartUp(), 1);

      QCOMPARE(w.currentId(), int(IDD_WIZARD_DRIVE));
      QCOMPARE(driveList(w)->model()->rowCount(), 2);
      QCOMPARE(driveList(w)->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("类型"));
      QAbstractButton* start = w.button(QWizard::FinishButton);
      QVERIFY(start->isVisible());
      QCOMPARE(start->text(), QStringLiteral("开始"));
      QVERIFY(!start->isEnabled());
      QVERIFY(!w.button(QWizard::NextButton)->isVisible());
      chooseDrive(w, 0);
      QVERIFY(start->isEnabled());
      QCOMPARE(w.visitedIds(), (QList<int>{int(IDD_WIZARD_SCAN_TYPE), int(IDD_WIZARD_DRIVE)}));
      press(w, QWizard::FinishButton);
    });
    QTreeWidgetItem* drive = t.frame().leftView()->nodeByDriveCharacter(u'C');
    QCOMPARE(t.frame().leftView()->currentItem(), drive);
    QVERIFY(drive->isExpanded());
    QCOMPARE(t.rowNames(), (QStringList{"A", "D", "Empty", "Sizes", "Docs", "Old", "Many"}));
    QCOMPARE(t.user().countCalls("messageBox("), std::size_t(0));
  }

  void theThoroughScanOffersPhysicalDrivesAndTheRangeFollowsTheDrive() {
    FrameUnderTest t({fixtureImage("desktop-fat.img"), fixtureImage("desktop-ntfs.img")});
    const double fatSectors = double(QFileInfo(fixtureImage("desktop-fat.img")).size() / 512);
    const double ntfsSectors = double(QFileInfo(fixtureImage("desktop-ntfs.img")).size() / 512);
    withWizard(t.frame(), [&](CScanWizard& w) {
      chooseType(w, IDC_THOROUGH_SCAN);
      QAbstractItemModel* disks = driveList(w)->model();
      QCOMPARE(disks->rowCount(), 2);
      QCOMPARE(disks->index(1, 0).data().toString(), QStringLiteral("硬盘 1"));
      QCOMPARE(disks->headerData(2, Qt::Horizontal).toString(), QStringLiteral("模型"));
      QVERIFY(!w.button(QWizard::FinishButton)->isVisible());
      QVERIFY(!w.button(QWizard::NextButton)->isEnabled());
      chooseDrive(w, 1);
      press(w, QWizard::NextButton);

      QCOMPARE(w.currentId(), int(IDD_WIZARD_RANGE));
      auto* partial = control<QCheckBox>(w, IDC_PARTIAL_SCAN);
      auto* slider = control<CRangeSlider>(w, IDC_RANGE_SLIDER);
      auto* start = control<QLineEdit>(w, IDC_RANGE_START);
      auto* end = control<QLineEdit>(w, IDC_RANGE_END);
      QCOMPARE(slider->maximum(), ntfsSectors);
      QVERIFY(partial->isEnabled() && !partial->isChecked());
      QVERIFY(!start->isEnabled() && !end->isEnabled() && !slider->isEnabled());
      partial->click();
      QVERIFY(start->isEnabled() && slider->isEnabled());
      QCOMPARE(end->text(), QString::number(qint64(ntfsSectors)));
      type(end, QStringLiteral("999999999"));
      QCOMPARE(end->text(), QString::number(qint64(ntfsSectors)));
      type(end, QStringLiteral("1000"));
      type(start, QStringLiteral("5000"));
      QCOMPARE(start->text(), QStringLiteral("5000"));
      QCOMPARE(end->text(), QStringLiteral("5000"));

      press(w, QWizard::BackButton);
      QVERIFY(driveList(w)->selectionModel()->selectedRows().isEmpty());  // the list was refilled
      QVERIFY(!w.button(QWizard::NextButton)->isEnabled());
      chooseDrive(w, 1);
      press(w, QWizard::NextButton);
      QVERIFY(partial->isChecked());
      QCOMPARE(slider->left(), 5000.0);
      QCOMPARE(end->text(), QStringLiteral("5000"));

      press(w, QWizard::BackButton);
      chooseDrive(w, 0);
      press(w, QWizard::NextButton);
      QVERIFY(!partial->isChecked());
      QCOMPARE(slider->maximum(), fatSectors);
      QCOMPARE(slider->left(), 0.0);
      QCOMPARE(slider->right(), fatSectors);
    });
    QVERIFY(!t.frame().fileList().GetDriveList(u"{:"));
    QVERIFY(!t.frame().fileList().GetDriveList(u"|:"));
  }

  void theTypesPageNeedsOneCheckedTypeAndShowsMixedCategories() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    withWizard(t.frame(), [&](CScanWizard& w) {
      chooseTypeAndDrive(w, IDC_PHYSICAL_SCAN, 0);
      press(w, QWizard::NextButton);
      QCOMPARE(w.currentId(), int(IDD_WIZARD_FILE_TYPES));
      auto* tree = control<CTriStateTreeCtrl>(w, IDC_FILE_TYPE_TREE);
      QAbstractButton* start = w.button(QWizard::FinishButton);
      QCOMPARE(tree->topLevelItemCount(), 4);
      QTreeWidgetItem* pictures = tree->topLevelItem(0);
      QCOMPARE(pictures->text(0), QStringLiteral("图像和数码相机"));
      QVERIFY(pictures->isExpanded());
      QCOMPARE(pictures->checkState(0), Qt::Checked);
      QVERIFY(start->isEnabled());
      QCOMPARE(start->text(), QStringLiteral("开始"));

      QTreeWidgetItem* jpeg = typeNode(tree, QStringLiteral("Jpeg 图像 (.jpg)"));
      toggle(tree, jpeg);
      QCOMPARE(jpeg->checkState(0), Qt::Unchecked);
      QCOMPARE(pictures->checkState(0), Qt::PartiallyChecked);
      for (int i = 0; i < pictures->childCount(); ++i)
        if (pictures->child(i) != jpeg) toggle(tree, pictures->child(i));
      QCOMPARE(pictures->checkState(0), Qt::Unchecked);
      for (int c = 1; c < tree->topLevelItemCount(); ++c) toggle(tree, tree->topLevelItem(c));
      QVERIFY(!start->isEnabled());
      toggle(tree, jpeg);
      QVERIFY(start->isEnabled());
      QCOMPARE(pictures->checkState(0), Qt::PartiallyChecked);
      toggle(tree, pictures);
      QCOMPARE(pictures->child(0)->checkState(0), Qt::Checked);  // a mixed category toggled checks all its types
    });
    for (std::size_t i = 0; i < filterRegistry().count(); ++i)
      QVERIFY2(filterRegistry().item(i)->enabled, "Cancel leaves the types as they were");
  }

  void aFixedDiskWithAnExtendedPartitionTypeKeepsTheWizardOnTheDrivePage() {
    FrameUnderTest t({fixtureImage("extendedtyped.img")});
    withWizard(t.frame(), [&](CScanWizard& w) {
      chooseTypeAndDrive(w, IDC_PHYSICAL_SCAN, 0);
      QCOMPARE(w.currentId(), int(IDD_WIZARD_DRIVE));
    });
    QCOMPARE(t.user().calls(), (std::vector<std::string>{
                                   R"(messageBox("无法打开驱动器 C:\n分区类型无法识别", "Tarvosk", 0x30))"}));
  }

  void finishingAPhysicalScanOfARangeWithOnlyJpegCarvesOnlyThat_data() {
    QTest::addColumn<QString>("image");
    QTest::addColumn<bool>("thorough");
    QTest::newRow("physical scan of a FAT32 volume, in clusters") << QStringLiteral("carve-fat32.img") << false;
    QTest::newRow("thorough scan of a disk, in sectors") << QStringLiteral("carve-disk.img") << true;
  }

  void finishingAPhysicalScanOfARangeWithOnlyJpegCarvesOnlyThat() {
    QFETCH(QString, image);
    QFETCH(bool, thorough);
    image = fixtureImage(qPrintable(image));
    std::vector<qint64> jpegs = jpegSectors(image);
    QCOMPARE(jpegs.size(), std::size_t(3));
    if (!thorough)
      for (qint64& at : jpegs) at = fat32ClusterAt(image, at);
    // From just before the second picture to past the third: the first one starts outside.
    const qint64 first = jpegs[1] - 1, last = jpegs[2] + 32;
    FrameUnderTest t({image});
    withWizard(t.frame(), [&](CScanWizard& w) {
      chooseTypeAndDrive(w, thorough ? IDC_THOROUGH_SCAN : IDC_PHYSICAL_SCAN, 0);
      control<QCheckBox>(w, IDC_PARTIAL_SCAN)->click();
      auto* start = control<QLineEdit>(w, IDC_RANGE_START);
      auto* end = control<QLineEdit>(w, IDC_RANGE_END);
      type(end, QString::number(last));
      type(start, QString::number(first));
      press(w, QWizard::NextButton);
      auto* tree = control<CTriStateTreeCtrl>(w, IDC_FILE_TYPE_TREE);
      for (int c = 0; c < tree->topLevelItemCount(); ++c) toggle(tree, tree->topLevelItem(c));
      toggle(tree, typeNode(tree, QStringLiteral("Jpeg 图像 (.jpg)")));
      press(w, QWizard::FinishButton);
    });
    const char16_t character = thorough ? u'{' : u'C';
    QTreeWidgetItem* drive = t.frame().leftView()->nodeByDriveCharacter(character);
    QCOMPARE(t.frame().leftView()->currentItem(), drive);
    QVERIFY(drive->isExpanded());
    DriveFileList* list = t.frame().fileList().GetDriveList(std::u16string{character, u':'});
    QVERIFY(list);
    const FileEntry& root = list->Lookup(ROOT_ENTRY_ID);
    QCOMPARE(root.children.size(), std::size_t(1));
    const FileEntry& folder = list->Lookup(root.children[0]);
    QCOMPARE(qstr(folder.name.str()), QStringLiteral("Jpeg 图像"));
    QStringList carved;
    for (std::uint64_t id : folder.children) carved << qstr(list->Lookup(id).name.str());
    QCOMPARE(carved, (QStringList{QStringLiteral("file%1.jpg").arg(jpegs[1]), QStringLiteral("file%1.jpg").arg(jpegs[2])}));
  }

  void theRangeSliderFollowsDragsAndKeysAndReportsWhatMoved() {
    CRangeSlider slider;
    slider.resize(200, 20);  // thumbs of 15 pixels, 170 for the range
    slider.show();
    QVERIFY(QTest::qWaitForWindowActive(&slider));
    slider.setRange(0, 100);
    slider.setValues(20, 60);
    QSignalSpy changes(&slider, &CRangeSlider::rangeChanged);
    auto drag = [&slider](int from, int to) {
      QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(from, 10));
      QTest::mouseMove(&slider, QPoint(to, 10));
      QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(to, 10));
    };
    drag(44, 61);  // the left thumb, 17 pixels: 10 units
    QCOMPARE(slider.left(), 30.0);
    QCOMPARE(changes.takeLast().at(0).toInt(), 0);
    drag(124, 158);
    QCOMPARE(slider.right(), 80.0);
    QCOMPARE(changes.takeLast().at(0).toInt(), 1);
    drag(100, 117);  // the bar
    QCOMPARE(slider.left(), 40.0);
    QCOMPARE(slider.right(), 90.0);
    QCOMPARE(changes.takeLast().at(0).toInt(), 2);
    drag(100, 400);
    QCOMPARE(slider.right(), 100.0);
    QCOMPARE(slider.left(), 50.0);
    changes.clear();
    QTest::keyClick(&slider, Qt::Key_Left);
    QCOMPARE(slider.right(), 169 * 100.0 / 170);
    QTest::keyClick(&slider, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(slider.right(), 168 * 100.0 / 170);
    QTest::keyClick(&slider, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(changes.size(), 2);
    QCOMPARE(changes.at(0).at(0).toInt(), 2);
    QCOMPARE(changes.at(1).at(0).toInt(), 1);
    changes.clear();
    slider.setValues(-5, 300);
    QCOMPARE(slider.left(), 0.0);
    QCOMPARE(slider.right(), 100.0);
    QCOMPARE(changes.size(), 2);
  }
};

TARVOSK_GUI_TEST(ScanWizardTest);

}  // namespace tarvosk::test

#include "ScanWizardTest.moc"
