#include "desktop/AboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/Icons.h"
#include "desktop/ObjectIds.h"
#include "res/CommandIds.h"

namespace tarvosk {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setObjectId(this, res::IDD_ABOUTBOX);
  setWindowTitle(QStringLiteral("关于 Tarvosk"));
  auto* icon = new QLabel;
  icon->setPixmap(icons::program().pixmap(48, 48));
  auto* name = new QLabel(QStringLiteral("<b>Tarvosk</b> 3.0<br>查找并恢复 FAT、NTFS 卷和整个磁盘上已删除的文件"));
  auto* update = new QLabel(QStringLiteral("<a href=\"%1\">单击这里检查更新</a>").arg(QLatin1String(kUpdatePage)));
  update->setObjectName(QStringLiteral("updateLink"));
  update->setOpenExternalLinks(true);
  auto* text = new QVBoxLayout;
  text->addWidget(name);
  text->addWidget(update);
  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addLayout(text, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);
}

}  // namespace tarvosk
