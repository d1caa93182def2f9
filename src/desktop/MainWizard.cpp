// The main window's scan wizard command: the wizard's choices become a scan of the chosen drive.
#include "desktop/MainFrame.h"
#include "desktop/ScanWizard.h"

namespace tarvosk {

void CMainFrame::runScanWizard() {
  CScanWizard wizard(this);
  if (wizard.exec() != QDialog::Accepted) return;
  const ScanWizardChoices& choices = wizard.choices();
  QTreeWidgetItem* drive = tree_->nodeByDriveCharacter(choices.drive[0]);
  if (!drive) return;
  // Both physical scans carve the range chosen (0 to 0 is the whole drive) with the types chosen.
  // A basic scan takes no range, even when the user set one on page 3 before going back to page 1
  // for another scan type.
  const bool physical = choices.type != WizardScanType::Basic;
  rescanDrive(drive, physical, physical ? choices.start : 0, physical ? choices.end : 0);
  drive->setExpanded(true);
}

}  // namespace tarvosk
