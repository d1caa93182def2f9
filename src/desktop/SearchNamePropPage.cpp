#include "desktop/SearchNamePropPage.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "desktop/LookInBrowseDlg.h"
#include "desktop/ObjectIds.h"
#include "desktop/QtText.h"
#include "res/CommandIds.h"

namespace tarvosk {

CSearchNamePropPage::CSearchNamePropPage(const std::u16string& lookIn, DriveFileList* drive,
                                         const std::u16string& drivePath, QWidget* parent)
    : QWidget(parent), drive_(drive), drivePath_(drivePath) {
  setObjectId(this, res::IDD_SEARCH_NAME);
  name_ = new QLineEdit(QStringLiteral("*"));
  setObjectId(name_, res::IDC_SEARCH_FILE_NAME);
  lookIn_ = new QLineEdit(qstr(lookIn));
  setObjectId(lookIn_, res::IDC_SEARCH_LOOK_IN);
  auto* browse = new QPushButton(QStringLiteral("浏览(&B)"));
  setObjectId(browse, res::IDC_SEARCH_BROWSE);
  connect(browse, &QPushButton::clicked, this, &CSearchNamePropPage::browse);
  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("按以下标准搜索已删除的文件")), 0, 0, 1, 2);
  layout->addWidget(new QLabel(QStringLiteral("文件名")), 1, 0, 1, 2);
  layout->addWidget(name_, 2, 0, 1, 2);
  layout->addWidget(new QLabel(QStringLiteral("查找")), 3, 0, 1, 2);
  layout->addWidget(lookIn_, 4, 0);
  layout->addWidget(browse, 4, 1);
  layout->setRowStretch(5, 1);
  layout->setColumnStretch(0, 1);
}

std::u16string CSearchNamePropPage::namePattern() const { return u16(name_->text()); }
std::u16string CSearchNamePropPage::lookIn() const { return u16(lookIn_->text()); }

void CSearchNamePropPage::browse() {
  CLookInBrowseDlg browser(drive_, drivePath_, lookIn(), this);
  if (browser.exec() == QDialog::Accepted) lookIn_->setText(qstr(browser.chosenPath()));
}

}  // namespace tarvosk
