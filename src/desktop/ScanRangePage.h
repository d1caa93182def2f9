// The scan wizard's third page (dialog 247): whether only part of the drive is scanned, and
// which part, in clusters of the volume (physical scan) or sectors of the drive (thorough scan),
// set with the two edits or the range slider. The range stays while the same drive is chosen
// again; another drive starts it anew over the whole drive.
#pragma once

#include <QWizardPage>
#include <string>

#include "shell/ScanWizardChoices.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace tarvosk {

class CRangeSlider;

class CScanRangePage : public QWizardPage {
  Q_OBJECT

 public:
  explicit CScanRangePage(ScanWizardChoices& choices);
  void initializePage() override;
  // Going back keeps the range for when the same drive is chosen again.
  void cleanupPage() override {}
  bool validatePage() override;

 private:
  void enableRange();
  void showValues();
  void startEdited();
  void endEdited();

  ScanWizardChoices& choices_;
  std::u16string rememberedDrive_;
  QCheckBox* partial_;
  QLabel* startLabel_;
  QLabel* endLabel_;
  QLineEdit* start_;
  QLineEdit* end_;
  CRangeSlider* slider_;
};

}  // namespace tarvosk
