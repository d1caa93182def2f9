// The check that the scan wizard's drive page makes when Next is pressed: can the chosen drive be
// opened the way the chosen scan will open it? It differs from the scan's own check: a drive that
// is not fixed goes straight to the FAT layer (an exFAT volume to the exFAT layer), and each
// layer's failure has its own message.
#pragma once

#include <string>

#include "shell/ScanWizardChoices.h"

namespace tarvosk {

// Empty when the drive opens (it is closed again at once); otherwise the text of the message box
// that keeps the user on the page.
std::u16string wizardDriveProblem(WizardScanType type, const std::u16string& drive);

}  // namespace tarvosk
