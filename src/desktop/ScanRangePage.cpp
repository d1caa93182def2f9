#include "desktop/ScanRangePage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "desktop/ObjectIds.h"
#include "desktop/QtText.h"
#include "desktop/RangeSlider.h"
#include "res/CommandIds.h"
#include "shell/WizardRange.h"

namespace tarvosk {

namespace {

QString unitText(double value) { return QString::number(static_cast<qint64>(value)); }

}  // namespace

CScanRangePage::CScanRangePage(ScanWizardChoices& choices) : choices_(choices) {
  setTitle(QStringLiteral("指定要扫描的簇(扇区)范围"));
  partial_ = new QCheckBox(QStringLiteral("部分扫描\n(留空不选中则扫描整个驱动器)"));
  setObjectId(partial_, res::IDC_PARTIAL_SCAN);
  startLabel_ = new QLabel(QStringLiteral("开始"));
  endLabel_ = new QLabel(QStringLiteral("结束"));
  start_ = new QLineEdit;
  end_ = new QLineEdit;
  setObjectId(start_, res::IDC_RANGE_START);
  setObjectId(end_, res::IDC_RANGE_END);
  startLabel_->setBuddy(start_);
  endLabel_->setBuddy(end_);
  slider_ = new CRangeSlider;
  setObjectId(slider_, res::IDC_RANGE_SLIDER);
  auto* edits = new QGridLayout;
  edits->addWidget(startLabel_, 0, 0);
  edits->addWidget(start_, 0, 1);
  edits->addWidget(endLabel_, 0, 2);
  edits->addWidget(end_, 0, 3);
  edits->setColumnStretch(1, 1);
  edits->setColumnStretch(3, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(partial_);
  layout->addSpacing(12);
  layout->addLayout(edits);
  layout->addWidget(slider_);
  layout->addStretch();
  connect(partial_, &QCheckBox::toggled, this, &CScanRangePage::enableRange);
  connect(slider_, &CRangeSlider::rangeChanged, this, &CScanRangePage::showValues);
  connect(start_, &QLineEdit::editingFinished, this, &CScanRangePage::startEdited);
  connect(end_, &QLineEdit::editingFinished, this, &CScanRangePage::endEdited);
  enableRange();
}

void CScanRangePage::initializePage() {
  if (!rememberedDrive_.empty() && rememberedDrive_[0] == choices_.drive[0]) return;
  rememberedDrive_ = choices_.drive;
  const auto units = static_cast<double>(wizardUnitCount(choices_.type, choices_.drive));
  slider_->setRange(0, units);
  slider_->setValues(0, units);
  partial_->setEnabled(true);
  partial_->setChecked(false);
  enableRange();
}

void CScanRangePage::enableRange() {
  const bool enabled = partial_->isEnabled() && partial_->isChecked();
  for (QWidget* w : {static_cast<QWidget*>(start_), static_cast<QWidget*>(end_), static_cast<QWidget*>(startLabel_),
                     static_cast<QWidget*>(endLabel_), static_cast<QWidget*>(slider_)})
    w->setEnabled(enabled);
  if (enabled) showValues();
}

void CScanRangePage::showValues() {
  start_->setText(unitText(slider_->left()));
  end_->setText(unitText(slider_->right()));
}

void CScanRangePage::startEdited() {
  const RangeValues values = startTyped(slider_->model(), u16(start_->text()));
  slider_->setValues(values.left, values.right);
  showValues();
}

void CScanRangePage::endEdited() {
  const RangeValues values = endTyped(slider_->model(), u16(end_->text()));
  slider_->setValues(values.left, values.right);
  showValues();
}

bool CScanRangePage::validatePage() {
  // A number typed but not yet left counts as well.
  if (start_->isModified()) startEdited();
  if (end_->isModified()) endEdited();
  choices_.partial = partial_->isEnabled() && partial_->isChecked();
  choices_.start = choices_.partial ? static_cast<std::uint64_t>(slider_->left()) : 0;
  choices_.end = choices_.partial ? static_cast<std::uint64_t>(slider_->right()) : 0;
  return true;
}

}  // namespace tarvosk
