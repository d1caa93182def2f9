// The scan wizard's first page (dialog 245): the scan type, a description of the one chosen,
// and whether the wizard opens at start-up (saved when Next is pressed).
#pragma once

#include <QWizardPage>

#include "shell/ScanWizardChoices.h"

class QButtonGroup;
class QCheckBox;
class QPlainTextEdit;

namespace tarvosk {

class CScanTypePage : public QWizardPage {
  Q_OBJECT

 public:
  explicit CScanTypePage(ScanWizardChoices& choices);
  void initializePage() override;
  bool validatePage() override;

 private:
  void describe(int typeButton);

  ScanWizardChoices& choices_;
  QButtonGroup* types_;
  QPlainTextEdit* description_;
  QCheckBox* showAtStartUp_;
};

}  // namespace tarvosk
