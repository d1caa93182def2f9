// The Options and logging dialogs: what they show, what OK and Cancel change.
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

#include "desktop/FileView.h"
#include "desktop/GuiTestSupport.h"
#include "desktop/HelpWindow.h"
#include <QTextBrowser>
#include "desktop/QtText.h"
#include "log/Log.h"
#include "platform/Registry.h"
#include "platform/WinError.h"
#include "res/CommandIds.h"
#include "settings/Settings.h"

namespace tarvosk::test {

namespace {

QCheckBox* box(QDialog& dialog, unsigned id) { return dialog.findChild<QCheckBox*>(QStringLiteral("id%1").arg(id)); }

std::vector<std::u16string> storedValueNames() {
  std::vector<std::u16string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  for (const char16_t* name : {u"SameDriveWarn", u"ShowEmptyFolders", u"ShowRecoveryChanses", u"UseAutoSort",
                               u"ShowWizardOnStartUp", u"ScanRecycleBin", u"RestoreFolder"}) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) names.push_back(name);
  }
  RegCloseKey(key);
  return names;
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void optionsShowTheInvertedBoxesAndOkSavesAndRebuildsTheDrive() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    QVERIFY(t.open(QStringLiteral("C:\\Docs")));
    settings().UseAutoSort = true;
    settings().ShowRecoveryChanses = false;
    settings().ScanRecycleBin = true;
    settings().ShowEmptyFolders = true;
    settings().SameDriveWarn = false;
    settings().ExactLengths = false;
    withDialog(t.frame(), res::ID_OPTIONS, [](QDialog& d) {
      QVERIFY(!box(d, res::IDC_NO_AUTO_SORT)->isChecked());
      QVERIFY(box(d, res::IDC_NO_CONDITION)->isChecked());
      QVERIFY(!box(d, res::IDC_NO_RECYCLE_BIN)->isChecked());
      QVERIFY(!box(d, res::IDC_HIDE_EMPTY_FOLDERS)->isChecked());
      QVERIFY(!box(d, res::IDC_SAME_DRIVE_WARNING)->isChecked());
      QVERIFY(!box(d, res::IDC_EXACT_LENGTHS)->isChecked());
      box(d, res::IDC_HIDE_EMPTY_FOLDERS)->setChecked(true);
      box(d, res::IDC_EXACT_LENGTHS)->setChecked(true);
      d.accept();
    });
    QVERIFY(!settings().ShowEmptyFolders);
    QVERIFY(settings().ExactLengths);
    QCOMPARE(storedValueNames().size(), std::size_t(7));
    // The drive was rebuilt with the new setting and is selected again.
    QTreeWidgetItem* drive = t.frame().leftView()->nodeByDriveCharacter(u'C');
    QCOMPARE(t.frame().leftView()->currentItem(), drive);
    for (int i = 0; i < drive->childCount(); ++i) QVERIFY(drive->child(i)->text(0) != QStringLiteral("Empty"));
    QVERIFY(!t.rowNames().contains(QStringLiteral("Empty")));
  }

  void optionsOkWithoutChangesRewritesEveryValueAndCancelChangesNothing() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    SaveSettings();
    HKEY key = nullptr;
    QCOMPARE(RegCreateKeyW(HKEY_CURRENT_USER, kSettingsKey, &key), LONG(ERROR_SUCCESS));
    RegDeleteValueW(key, u"UseAutoSort");
    RegCloseKey(key);
    withDialog(t.frame(), res::ID_OPTIONS, [](QDialog& d) {
      box(d, res::IDC_NO_AUTO_SORT)->setChecked(false);
      d.reject();
    });
    QCOMPARE(storedValueNames().size(), std::size_t(6));
    QVERIFY(!settings().UseAutoSort);
    withDialog(t.frame(), res::ID_OPTIONS, [](QDialog& d) { d.accept(); });
    QCOMPARE(storedValueNames().size(), std::size_t(7));
  }

  void enablingLoggingCreatesTheLogAnewAtTheShownPath() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    QVERIFY(t.open(QStringLiteral("C:")));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.log"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older log\r\n");
    old.close();
    withDialog(t.frame(), res::ID_LOGGING, [&](QDialog& d) {
      auto* edit = d.findChild<QLineEdit*>(QStringLiteral("id1013"));
      QVERIFY(!edit->isEnabled());  // logging is off
      QVERIFY(edit->text().endsWith(QStringLiteral("/tarvosk/tarvosk.log")));
      d.findChild<QRadioButton*>(QStringLiteral("id1033"))->click();
      QVERIFY(edit->isEnabled());
      edit->setText(path);
      d.accept();
    });
    QVERIFY(LOG_IsOpen());
    QCOMPARE(qstr(LOG_GetPath()), path);
    t.frame().runCommand(res::ID_REFRESH);  // something to log
    QFile log(path);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    QVERIFY(!text.contains("an older log"));
    QVERIFY(text.contains(" APP INFO  "));
    LOG_SetFile(nullptr);
  }

  void helpOpensTheContentsPageAndIsReused() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    t.frame().runCommand(res::ID_HELP);
    auto* help = t.frame().findChild<HelpWindow*>();
    QVERIFY(help);
    QTRY_VERIFY(help->isVisible());
    QCOMPARE(help->browser()->documentTitle(), QStringLiteral("Tarvosk 帮助"));
    QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("一步一步恢复文件")));
    t.frame().runCommand(res::ID_HELP_FINDER);
    QCOMPARE(t.frame().findChildren<HelpWindow*>().size(), qsizetype(1));
  }
};

TARVOSK_GUI_TEST(DialogsTest);

}  // namespace tarvosk::test

#include "DialogsTest.moc"
