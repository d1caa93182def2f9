#include "desktop/SearchContentPropPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QRadioButton>

#include "desktop/ObjectIds.h"
#include "desktop/QtText.h"
#include "res/CommandIds.h"

namespace tarvosk {

CSearchContentPropPage::CSearchContentPropPage(QWidget* parent) : QWidget(parent) {
  setObjectId(this, res::IDD_SEARCH_CONTENT);
  textMode_ = new QRadioButton(QStringLiteral("包含文本(&T)"));
  setObjectId(textMode_, res::IDC_SEARCH_TEXT_MODE);
  text_ = new QLineEdit;
  setObjectId(text_, res::IDC_SEARCH_TEXT);
  matchCase_ = new QCheckBox(QStringLiteral("匹配大小写"));
  setObjectId(matchCase_, res::IDC_SEARCH_MATCH_CASE);
  hexMode_ = new QRadioButton(QStringLiteral("包含十六进制字串(输入十六进制数字)(&H)"));
  setObjectId(hexMode_, res::IDC_SEARCH_HEX_MODE);
  hex_ = new QLineEdit;
  setObjectId(hex_, res::IDC_SEARCH_HEX);
  auto* layout = new QGridLayout(this);
  layout->addWidget(textMode_, 0, 0, 1, 2);
  layout->addWidget(text_, 1, 1);
  layout->addWidget(matchCase_, 2, 1);
  layout->addWidget(hexMode_, 3, 0, 1, 2);
  layout->addWidget(hex_, 4, 1);
  layout->setColumnMinimumWidth(0, 16);
  layout->setColumnStretch(1, 1);
  layout->setRowStretch(5, 1);
  connect(textMode_, &QRadioButton::clicked, this, [this] { chooseMode(false); });
  connect(hexMode_, &QRadioButton::clicked, this, [this] { chooseMode(true); });
  textMode_->setChecked(true);
  chooseMode(false);
}

void CSearchContentPropPage::chooseMode(bool hex) {
  text_->setEnabled(!hex);
  matchCase_->setEnabled(!hex);
  hex_->setEnabled(hex);
  (hex ? hex_ : text_)->setFocus();
}

void CSearchContentPropPage::confirm(SearchCriteria& criteria) const {
  criteria.hex = hexMode_->isChecked();
  criteria.matchCase = matchCase_->isChecked();
  criteria.contentText = u16((criteria.hex ? hex_ : text_)->text());
}

}  // namespace tarvosk
