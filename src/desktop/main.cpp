// tarvosk: the desktop program.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

#include "desktop/Icons.h"
#include "desktop/MainFrame.h"
#include "desktop/QtText.h"
#include "desktop/QtUserInterface.h"
#include "device/DeviceMode.h"
#include "platform/CodePage.h"
#include "platform/DriveNamespace.h"
#include "platform/WinError.h"
#include "settings/Settings.h"
#include "shell/ProgramArguments.h"
#include "volfs/FileSystems.h"

int main(int argc, char** argv) {
  using namespace tarvosk;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tarvosk"));
  QApplication::setWindowIcon(icons::program());

  std::vector<std::string> arguments;
  for (const QString& a : QApplication::arguments().mid(1)) arguments.push_back(a.toStdString());
  DesktopArguments options;
  std::string error;
  if (!parseDesktopArguments(arguments, options, error)) {
    std::fprintf(stderr, "tarvosk: %s\n用法: tarvosk [--no-devices] [--image 路径[,removable]]... [--open 驱动器[\\文件夹...]] "
                         "[--screenshot 文件.png] [映像...]\n", error.c_str());
    return 2;
  }
  LoadSettings();
  RAW_Initialize();
  registerFileSystemProviders();
  const bool scripted = !options.open.empty() || !options.screenshot.empty();
  if (scripted) settings().ShowWizardOnStartUp = false;  // only for this run: nothing is saved

  QStringList failures;
  for (const ImageArgument& image : options.images)
    if (!attachImage(image.path, image.options))
      failures << QStringLiteral("%1: %2").arg(QString::fromStdString(image.path), qstr(systemErrorText(GetLastError())).trimmed());
  if (options.devices) attachBlockDevices();

  CMainFrame frame(options.devices);
  QtUserInterface ui(&frame);
  setUserInterface(&ui);
  frame.show();
  if (!failures.isEmpty()) {
    const QString text = QStringLiteral("无法打开磁盘映像:\n") + failures.join(u'\n');
    if (scripted) std::fprintf(stderr, "tarvosk: %s\n", text.toUtf8().constData());
    else ui.messageBox(u16(text), kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
  }

  int status = 0;
  if (scripted) {
    // Start-up work first (the node opened, its drive scanned), then the picture, then the end.
    QTimer::singleShot(0, &frame, [&] {
      bool opened = options.open.empty() || frame.openPath(QString::fromStdString(options.open));
      if (!options.screenshot.empty()) {
        QApplication::processEvents();
        if (!frame.grab().save(QString::fromStdString(options.screenshot))) opened = false;
        status = opened ? 0 : 1;
        QApplication::exit(status);
      } else if (!opened) {
        ui.messageBox(u"找不到 " + utf8ToUtf16(options.open), kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
      }
    });
  }
  const int result = app.exec();
  setUserInterface(nullptr);
  return options.screenshot.empty() ? result : status;
}
