#include "desktop/HelpWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace tarvosk {

QString HelpWindow::contentsPage() {
  const QString programFolder = QCoreApplication::applicationDirPath();
  for (const QString& folder : {programFolder + QStringLiteral("/help"), programFolder + QStringLiteral("/../share/tarvosk/help")}) {
    const QFileInfo page(folder + QStringLiteral("/index.html"));
    if (page.exists()) return page.canonicalFilePath();
  }
  return {};
}

HelpWindow::HelpWindow(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("helpWindow"));
  setWindowTitle(QStringLiteral("Tarvosk 帮助"));
  setWindowFlag(Qt::WindowMinMaxButtonsHint, true);
  setAttribute(Qt::WA_DeleteOnClose);
  browser_ = new QTextBrowser(this);
  browser_->setOpenExternalLinks(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  resize(760, 560);
}

HelpWindow* HelpWindow::open(QWidget* owner) {
  static QPointer<HelpWindow> window;
  if (!window) window = new HelpWindow(owner);
  const QString page = contentsPage();
  if (page.isEmpty())
    window->browser_->setHtml(QStringLiteral("<p>找不到帮助文件。它应当位于程序所在文件夹的 help 子文件夹中。</p>"));
  else
    window->browser_->setSource(QUrl::fromLocalFile(page));
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

}  // namespace tarvosk
