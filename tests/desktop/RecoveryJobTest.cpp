// The undelete command in the main window: the overwrite prompt's answers, the error list, a
// cancel in the middle of a file, and a live folder recovered from the focused tree.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "desktop/FileView.h"
#include "desktop/GuiTestSupport.h"
#include "desktop/LeftView.h"
#include "desktop/LogDlg.h"
#include "desktop/ObjectIds.h"
#include "desktop/ProgressDlg.h"
#include "desktop/QtText.h"
#include "desktop/QtUserInterface.h"
#include "desktop/YesNoDlg.h"
#include "res/CommandIds.h"

namespace tarvosk::test {

namespace {

QByteArray contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// The desktop's own user interface, but for a folder browser that chooses the test's folder.
class BrowsingUi : public QtUserInterface {
 public:
  BrowsingUi(QWidget* owner, QString folder) : QtUserInterface(owner), folder_(std::move(folder)) {
    previous_ = setUserInterface(this);
  }
  ~BrowsingUi() override { setUserInterface(previous_); }
  bool browseForFolder(const std::u16string&, const std::u16string&, std::u16string& chosen) override {
    chosen = u16(folder_);
    return true;
  }

 private:
  QString folder_;
  UserInterface* previous_;
};

void press(QWidget& dialog, unsigned id) {
  auto* button = dialog.findChild<QPushButton*>(objectIdName(id));
  QVERIFY(button);
  button->click();
}

}  // namespace

class RecoveryJobTest : public QObject {
  Q_OBJECT

 private slots:
  void theOverwritePromptAnswersByItsButtonsAndEscOrClosingKeep() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    QtUserInterface ui(&t.frame());
    const std::function<void(QWidget&)> answers[] = {
        [](QWidget& d) { press(d, res::IDYES_BUTTON); },
        [](QWidget& d) { press(d, res::IDC_YES_TO_ALL); },
        [](QWidget& d) { press(d, res::IDNO_BUTTON); },
        [](QWidget& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](QWidget& d) { d.close(); },
    };
    const OverwriteAnswer expected[] = {OverwriteAnswer::Yes, OverwriteAnswer::YesToAll, OverwriteAnswer::No,
                                        OverwriteAnswer::No, OverwriteAnswer::No};
    for (std::size_t i = 0; i < std::size(answers); ++i) {
      ModalWatcher watcher([&](QWidget& d) {
        QCOMPARE(d.objectName(), objectIdName(res::IDD_YES_NO));
        QCOMPARE(d.windowTitle(), QStringLiteral("Tarvosk"));
        QCOMPARE(d.findChild<QLabel*>(objectIdName(res::IDC_PROMPT_TEXT))->text(), QStringLiteral("文件“a”已经存在。是否覆盖？"));
        QCOMPARE(d.findChild<QPushButton*>(objectIdName(res::IDC_YES_TO_ALL))->text(), QStringLiteral("全部是(&A)"));
        answers[i](d);
      });
      QCOMPARE(ui.askOverwrite(u"文件“a”已经存在。是否覆盖？"), expected[i]);
      QCOMPARE(watcher.seen(), 1);
    }
  }

  void escKeepsTheFileAndYesToAllAnswersTheRestOfTheJob() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    QTemporaryDir target;
    BrowsingUi ui(&t.frame(), target.path());
    const QStringList names = {QStringLiteral("Report of May.doc"), QStringLiteral("rep sheet.xls"), QStringLiteral("my notes.txt")};
    for (const QString& name : names) write(target.filePath(name), "old");
    QVERIFY(t.open(QStringLiteral("C:\\Docs")));
    QVERIFY(t.selectRows({names[0]}));
    {
      ModalWatcher escape([](QWidget& d) { QTest::keyClick(&d, Qt::Key_Escape); });
      t.frame().runCommand(res::ID_UNDELETE);
      QCOMPARE(escape.seen(), 1);
    }
    QCOMPARE(contents(target.filePath(names[0])), QByteArray("old"));
    QVERIFY(t.selectRows(names));
    {
      // One answer for the whole job: the second and third files are replaced without asking.
      ModalWatcher yesToAll([](QWidget& d) { press(d, res::IDC_YES_TO_ALL); });
      t.frame().runCommand(res::ID_UNDELETE);
      QCOMPARE(yesToAll.seen(), 1);
    }
    QCOMPARE(contents(target.filePath(names[1])), QByteArray("table\r\n"));
    QCOMPARE(contents(target.filePath(names[2])), QByteArray("notes\r\n"));
  }

  void aFailedBatchShowsTheErrorListAndAFailedSingleFileOnlyABox() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    QTemporaryDir target;
    t.user().setDefaultFolderChoice(u16(target.path()));
    t.user().setDefaultOverwriteAnswer(OverwriteAnswer::Yes);
    // A folder stands where the second file would go.
    QVERIFY(QDir(target.path()).mkdir(QStringLiteral("rep sheet.xls")));
    QVERIFY(t.open(QStringLiteral("C:\\Docs")));
    QVERIFY(t.selectRows({QStringLiteral("Report of May.doc"), QStringLiteral("rep sheet.xls")}));
    QString log;
    {
      ModalWatcher list([&](QWidget& d) {
        QCOMPARE(d.objectName(), objectIdName(res::IDD_LOG));
        log = d.findChild<QPlainTextEdit*>(objectIdName(res::IDC_RECOVERY_LOG))->toPlainText();
        press(d, res::IDOK_BUTTON);
      });
      t.frame().runCommand(res::ID_UNDELETE);
      QCOMPARE(list.seen(), 1);
    }
    QVERIFY2(log.startsWith(QStringLiteral("File Report of May.doc: Succeeded\nFile rep sheet.xls: 失败于错误 \"")), qPrintable(log));
    QCOMPARE(contents(target.filePath(QStringLiteral("Report of May.doc"))), QByteArray("report\r\n"));

    QVERIFY(t.selectRows({QStringLiteral("rep sheet.xls")}));
    t.user().clearCalls();
    ModalWatcher none([](QWidget& d) { d.close(); });
    t.frame().runCommand(res::ID_UNDELETE);
    QCOMPARE(none.seen(), 0);
    QCOMPARE(t.user().countCalls("messageBox("), std::size_t(1));
  }

  void aCancelInTheMiddleOfAFileLeavesNoPartAndTheWindowUsable() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    QTemporaryDir target;
    t.user().setDefaultFolderChoice(u16(target.path()));
    QVERIFY(t.open(QStringLiteral("C:\\Sizes")));
    const QString name = QStringLiteral("size of 1048576.bin");
    QVERIFY(t.selectRows({name}));
    qint64 partial = 0;
    t.frame().setProgressHook([&](CProgressDlg& progress) {
      const qint64 size = QFileInfo(target.filePath(name)).size();
      if (size > 0 && !progress.cancelled()) {
        partial = size;
        progress.cancel();
      }
    });
    t.frame().runCommand(res::ID_UNDELETE);
    t.frame().setProgressHook(nullptr);
    QVERIFY2(partial > 0 && partial < 1048576, "cancelled while the file was being written");
    QVERIFY(!QFileInfo::exists(target.filePath(name)));
    QVERIFY(!t.frame().isBusy());
    QVERIFY(t.frame().leftView()->isEnabled());
    QVERIFY(t.frame().action(res::ID_UNDELETE)->isEnabled());
    QVERIFY(!t.frame().findChild<CProgressDlg*>());
  }

  void theFocusedTreesLiveFolderComesBackWithItsDeletedFiles() {
    FrameUnderTest t({fixtureImage("desktop-fat.img")});
    QTemporaryDir target;
    t.user().setDefaultFolderChoice(u16(target.path()));
    QVERIFY(t.open(QStringLiteral("C:\\A")));
    t.frame().leftView()->setFocus();
    QVERIFY(t.frame().action(res::ID_UNDELETE)->isEnabled());
    t.frame().runCommand(res::ID_UNDELETE);
    QCOMPARE(contents(target.filePath(QStringLiteral("A/a file.txt"))), QByteArray("a\r\n"));
    QCOMPARE(contents(target.filePath(QStringLiteral("A/B/gone file.txt"))), QByteArray("b\r\n"));
  }
};

TARVOSK_GUI_TEST(RecoveryJobTest);

}  // namespace tarvosk::test

#include "RecoveryJobTest.moc"
