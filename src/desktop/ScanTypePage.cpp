#include "desktop/ScanTypePage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "desktop/ObjectIds.h"
#include "desktop/QtText.h"
#include "res/CommandIds.h"
#include "res/TextResources.h"
#include "settings/Settings.h"

namespace tarvosk {

namespace {

struct TypeButton {
  unsigned id;
  const char* caption;
  unsigned description;
  WizardScanType type;
};

constexpr TypeButton kTypeButtons[] = {
    {res::IDC_BASIC_SCAN, "基本扫描", res::IDR_BASIC_SCAN_TEXT, WizardScanType::Basic},
    {res::IDC_PHYSICAL_SCAN, "物理扫描", res::IDR_PHYSICAL_SCAN_TEXT, WizardScanType::Physical},
    {res::IDC_THOROUGH_SCAN, "彻底物理扫描", res::IDR_THOROUGH_SCAN_TEXT, WizardScanType::Thorough},
};

}  // namespace

CScanTypePage::CScanTypePage(ScanWizardChoices& choices) : choices_(choices) {
  setTitle(QStringLiteral("选择合适的扫描方式"));
  types_ = new QButtonGroup(this);
  auto* buttons = new QVBoxLayout;
  for (int i = 0; i < static_cast<int>(std::size(kTypeButtons)); ++i) {
    auto* button = new QRadioButton(QString::fromUtf8(kTypeButtons[i].caption));
    setObjectId(button, kTypeButtons[i].id);
    types_->addButton(button, i);
    buttons->addWidget(button);
  }
  buttons->addStretch();
  description_ = new QPlainTextEdit;
  setObjectId(description_, res::IDC_SCAN_DESCRIPTION);
  description_->setReadOnly(true);
  showAtStartUp_ = new QCheckBox(QStringLiteral("启动时显示向导"));
  setObjectId(showAtStartUp_, res::IDC_SHOW_WIZARD_AT_STARTUP);
  auto* choice = new QHBoxLayout;
  choice->addLayout(buttons);
  choice->addWidget(description_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(choice, 1);
  layout->addWidget(showAtStartUp_);
  connect(types_, &QButtonGroup::idClicked, this, &CScanTypePage::describe);
  types_->button(0)->setChecked(true);
  describe(0);
}

void CScanTypePage::describe(int typeButton) {
  description_->setPlainText(qstr(loadTextResource(kTypeButtons[typeButton].description)));
}

void CScanTypePage::initializePage() { showAtStartUp_->setChecked(settings().ShowWizardOnStartUp); }

bool CScanTypePage::validatePage() {
  choices_.type = kTypeButtons[types_->checkedId()].type;
  if (showAtStartUp_->isChecked() != settings().ShowWizardOnStartUp) {
    settings().ShowWizardOnStartUp = showAtStartUp_->isChecked();
    SaveSettings();
  }
  return true;
}

}  // namespace tarvosk
