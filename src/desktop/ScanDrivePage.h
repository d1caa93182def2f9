// The scan wizard's second page (dialog 246): the drive to scan, from the logical drives for the
// basic and physical scans or the physical drives for the thorough scan. It is the last page of
// a basic scan. Next checks that the drive opens and stays here with a message when it does not.
#pragma once

#include <QWizardPage>

#include "shell/ScanWizardChoices.h"

class QTreeView;

namespace tarvosk {

class DriveListModel;

class CScanDrivePage : public QWizardPage {
  Q_OBJECT

 public:
  explicit CScanDrivePage(ScanWizardChoices& choices);
  void initializePage() override;
  bool isComplete() const override;
  int nextId() const override;
  bool validatePage() override;

 private:
  void showList(DriveListModel* model);

  ScanWizardChoices& choices_;
  QTreeView* list_;
  DriveListModel* logicalDrives_;
  DriveListModel* physicalDrives_;
};

}  // namespace tarvosk
