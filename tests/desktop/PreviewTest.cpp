// The picture preview: deleted pictures of every format, made by real tools, decoded from the
// disk and shown on white in one reused window that follows the file list's selection; the size
// limit, compressed NTFS pictures and bytes that are no picture.
#include <QImage>

#include "desktop/FileView.h"
#include "desktop/GuiTestSupport.h"
#include "desktop/PreviewDlg.h"
#include "desktop/QtText.h"
#include "res/CommandIds.h"
#include "res/StringTable.h"

namespace tarvosk::test {

namespace {

QImage reference(const char* name) {
  return QImage(fixtureImage((std::string("preview-files/") + name).c_str())).convertToFormat(QImage::Format_RGB32);
}

std::string messageOf(unsigned id) {
  return "messageBox(" + quotedForCalls(std::u16string(loadString(id))) + ", \"Tarvosk\", 0x30)";
}

}  // namespace

class PreviewTest : public QObject {
  Q_OBJECT

 private slots:
  void everyFormatIsDecodedAndShownInOneWindow() {
    FrameUnderTest t({fixtureImage("preview-fat.img")});
    QVERIFY(t.open(QStringLiteral("C:\\Pictures")));
    const std::pair<const char*, const char*> pictures[] = {
        {"the photo.jpg", "photo-djpeg.ppm"}, {"the picture.png", "source.ppm"},  {"the picture.tif", "source.ppm"},
        {"the picture.bmp", "source.ppm"},    {"the picture.gif", "source.ppm"},  {"the picture.pcx", "source.ppm"},
        {"the picture.pnm", "source.ppm"},    {"the picture.tga", "source.ppm"},  {"the picture.ico", "source.ppm"},
        {"the picture.wbmp", "mono.ppm"},     {"16 colours.pcx", "source16.ppm"}, {"24 bits.pcx", "source.ppm"},
        {"black and white.pcx", "mono.ppm"},
    };
    CPreviewDlg* window = nullptr;
    for (auto [name, want] : pictures) {
      // Once the window is open, it follows the selection.
      QVERIFY(t.selectRows({QString::fromUtf8(name)}));
      if (!t.frame().previewIsOpen()) t.frame().runCommand(res::ID_VIEW_AS_PICTURE);
      QVERIFY2(t.frame().preview(), name);
      if (!window) window = t.frame().preview();
      QCOMPARE(t.frame().preview(), window);
      QCOMPARE(window->windowTitle(), QStringLiteral("Previewing: ") + QString::fromUtf8(name));
      QCOMPARE(window->picture().convertToFormat(QImage::Format_RGB32), reference(want));
    }
    QVERIFY(t.user().calls().empty());
    // Scaled to the control, aspect kept: a 4:3 picture in a wider control leaves white beside it.
    window->resize(800, 400);
    QCoreApplication::processEvents();
    const QImage shown = window->pictureControl()->shown();
    QCOMPARE(shown.size(), window->pictureControl()->size());
    QCOMPARE(shown.pixel(2, shown.height() / 2), qRgb(255, 255, 255));
    QVERIFY(shown.pixel(shown.width() / 2, shown.height() / 2) != qRgb(255, 255, 255));
  }

  void tenMillionBytesArePreviewedOneMoreIsRefusedAndNoPictureLeavesItEmpty() {
    FrameUnderTest t({fixtureImage("preview-fat.img")});
    QVERIFY(t.open(QStringLiteral("C:\\Pictures")));
    QVERIFY(t.selectRows({QStringLiteral("at the limit.jpg")}));
    t.frame().runCommand(res::ID_VIEW_AS_PICTURE);
    QVERIFY(t.frame().preview() && !t.frame().preview()->picture().isNull());
    QVERIFY(t.selectRows({QStringLiteral("over the limit.jpg")}));
    QCOMPARE(t.user().calls(), std::vector<std::string>{messageOf(res::IDS_PREVIEW_TOO_LARGE)});
    QCOMPARE(t.frame().preview()->windowTitle(), QStringLiteral("Previewing: at the limit.jpg"));
    for (const char* name : {"cut short.jpg", "random bytes.jpg"}) {
      QVERIFY(t.selectRows({QString::fromUtf8(name)}));
      QCOMPARE(t.frame().preview()->windowTitle(), QStringLiteral("Previewing: ") + QString::fromUtf8(name));
      QVERIFY2(t.frame().preview()->picture().isNull(), name);
    }
    // A picture that does not decode says nothing.
    QCOMPARE(t.user().calls().size(), std::size_t(1));
  }

  void thePreviewFollowsTheSelectionUntilItIsClosed() {
    FrameUnderTest t({fixtureImage("preview-fat.img")});
    QVERIFY(t.open(QStringLiteral("C:\\Pictures")));
    QVERIFY(t.selectRows({QStringLiteral("the photo.jpg")}));
    QVERIFY2(!t.frame().previewIsOpen(), "selecting alone opens nothing");
    t.frame().runCommand(res::ID_VIEW_AS_PICTURE);
    QVERIFY(t.frame().previewIsOpen());
    QVERIFY(t.selectRows({QStringLiteral("the picture.gif")}));
    QCOMPARE(t.frame().preview()->windowTitle(), QStringLiteral("Previewing: the picture.gif"));
    t.frame().preview()->close();
    QVERIFY(!t.frame().previewIsOpen());
    QVERIFY(t.selectRows({QStringLiteral("the picture.png")}));
    QVERIFY(!t.frame().previewIsOpen());
    t.frame().runCommand(res::ID_VIEW_AS_PICTURE);
    QCOMPARE(t.frame().preview()->windowTitle(), QStringLiteral("Previewing: the picture.png"));
  }

  void aCompressedNtfsPictureIsRefusedAndAResidentOneShown() {
    FrameUnderTest t({fixtureImage("preview-ntfs.img")});
    QVERIFY(t.open(QStringLiteral("C:")));
    QVERIFY(t.selectRows({QStringLiteral("tiny.gif")}));
    t.frame().runCommand(res::ID_VIEW_AS_PICTURE);
    QCOMPARE(t.frame().preview()->picture().size(), QSize(8, 8));
    t.frame().preview()->close();
    QVERIFY(t.open(QStringLiteral("C:\\comp")));
    QVERIFY(t.selectRows({QStringLiteral("the picture.bmp")}));
    t.frame().runCommand(res::ID_VIEW_AS_PICTURE);
    QCOMPARE(t.user().calls(), std::vector<std::string>{messageOf(res::IDS_PREVIEW_COMPRESSED)});
    QVERIFY(!t.frame().previewIsOpen());
  }
};

TARVOSK_GUI_TEST(PreviewTest);

}  // namespace tarvosk::test

#include "PreviewTest.moc"
