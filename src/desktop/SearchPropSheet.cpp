#include "desktop/SearchPropSheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "desktop/ObjectIds.h"
#include "desktop/SearchContentPropPage.h"
#include "desktop/SearchNamePropPage.h"
#include "desktop/SearchSizeDatePropPage.h"
#include "res/CommandIds.h"

namespace tarvosk {

CSearchPropSheet::CSearchPropSheet(const std::u16string& lookIn, DriveFileList* drive, const std::u16string& drivePath,
                                   QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("查找已删除的文件"));
  pages_ = new QTabWidget;
  name_ = new CSearchNamePropPage(lookIn, drive, drivePath);
  sizeDate_ = new CSearchSizeDatePropPage;
  content_ = new CSearchContentPropPage;
  pages_->addTab(name_, QStringLiteral("名称"));
  pages_->addTab(sizeDate_, QStringLiteral("大小和日期"));
  pages_->addTab(content_, QStringLiteral("内容"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("立即查找"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
  setObjectId(buttons->button(QDialogButtonBox::Ok), res::IDOK_BUTTON);
  setObjectId(buttons->button(QDialogButtonBox::Cancel), res::IDCANCEL_BUTTON);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  layout->addWidget(buttons);
}

void CSearchPropSheet::accept() {
  namePattern_ = name_->namePattern();
  lookIn_ = name_->lookIn();
  criteria_ = SearchCriteria();
  sizeDate_->confirm(criteria_);
  content_->confirm(criteria_);
  QDialog::accept();
}

}  // namespace tarvosk
