#include "desktop/SearchPropSheet.h"

#include <QTabWidget>
#include <QVBoxLayout>

#include "desktop/DialogButtons.h"
#include "desktop/SearchContentPropPage.h"
#include "desktop/SearchNamePropPage.h"
#include "desktop/SearchSizeDatePropPage.h"

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
  QDialogButtonBox* buttons = okCancelButtons(this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("立即查找"));
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
