#include "desktop/ScanDrivePage.h"

#include <QTreeView>
#include <QVBoxLayout>

#include "desktop/DriveListModel.h"
#include "desktop/DriveView.h"
#include "desktop/ObjectIds.h"
#include "platform/UiPorts.h"
#include "platform/WinError.h"
#include "res/CommandIds.h"
#include "shell/WizardDriveCheck.h"

namespace tarvosk {

CScanDrivePage::CScanDrivePage(ScanWizardChoices& choices)
    : choices_(choices),
      list_(new QTreeView),
      logicalDrives_(DriveListModel::newLogicalDriveList(this)),
      physicalDrives_(DriveListModel::newPhysicalDriveList(this)) {
  setTitle(QStringLiteral("选择要扫描的卷或物理驱动器"));
  setObjectId(list_, res::IDC_WIZARD_DRIVE_LIST);
  list_->setRootIsDecorated(false);
  list_->setItemsExpandable(false);
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(true);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setIconSize(QSize(16, 16));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
}

void CScanDrivePage::initializePage() {
  const bool physical = choices_.type == WizardScanType::Thorough;
  DriveListModel* model = physical ? physicalDrives_ : logicalDrives_;
  model->clear();
  if (physical) model->addPhysicalDrives();
  else model->addLogicalDrives();
  showList(model);
  fitDriveListColumns(*list_, physical ? kPhysicalDriveColumns : kLogicalDriveColumns);
  emit completeChanged();
}

void CScanDrivePage::showList(DriveListModel* model) {
  if (list_->model() == model) {
    list_->clearSelection();
    return;
  }
  QItemSelectionModel* previous = list_->selectionModel();
  list_->setModel(model);
  delete previous;
  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &QWizardPage::completeChanged);
}

bool CScanDrivePage::isComplete() const {
  return list_->selectionModel() && !list_->selectionModel()->selectedRows().isEmpty();
}

int CScanDrivePage::nextId() const {
  return choices_.type == WizardScanType::Basic ? -1 : static_cast<int>(res::IDD_WIZARD_RANGE);
}

bool CScanDrivePage::validatePage() {
  const int row = list_->selectionModel()->selectedRows().value(0).row();
  choices_.drive = {static_cast<DriveListModel*>(list_->model())->driveCharacterAt(row), u':'};
  // A basic scan checks its drive itself when it starts.
  if (choices_.type == WizardScanType::Basic) return true;
  const std::u16string problem = wizardDriveProblem(choices_.type, choices_.drive);
  if (problem.empty()) return true;
  userInterface().messageBox(problem, kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
  return false;
}

}  // namespace tarvosk
