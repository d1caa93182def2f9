// CScanWizard: the scan wizard ("Tarvosk - 扫描向导"). Four pages, numbered as the dialogs they
// stand for: the scan type (245), the drive (246; the last page of a basic scan), the range
// (247) and the file types (248). Finish ("开始") leaves the choices for the main window, which
// runs the scan; the file types go into the recognisers' enabled flags when Finish is pressed.
#pragma once

#include <QWizard>

#include "shell/ScanWizardChoices.h"

namespace tarvosk {

class CScanWizard : public QWizard {
  Q_OBJECT

 public:
  explicit CScanWizard(QWidget* parent);
  const ScanWizardChoices& choices() const { return choices_; }

 private:
  ScanWizardChoices choices_;
  int shownId_ = -1;  // the page shown last: the one being left while the page changes
};

}  // namespace tarvosk
