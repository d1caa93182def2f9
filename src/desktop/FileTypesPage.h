// The scan wizard's last page (dialog 248): the file types to look for, by category, every one
// checked at first. "开始" stays disabled while no type is checked; pressing it writes the checks
// into the recognisers' enabled flags.
#pragma once

#include <QWizardPage>

#include "shell/TypeTree.h"

namespace tarvosk {

class CTriStateTreeCtrl;

class CFileTypesPage : public QWizardPage {
  Q_OBJECT

 public:
  CFileTypesPage();
  bool isComplete() const override;
  bool validatePage() override;

 private:
  TypeTree types_;
  CTriStateTreeCtrl* tree_;
};

}  // namespace tarvosk
