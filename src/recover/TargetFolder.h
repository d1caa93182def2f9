// The folder a recovery job writes into: chosen in the folder browser, remembered as
// RestoreFolder, and chosen again when the user would rather not write onto the drive that
// holds the files.
#pragma once

#include <optional>
#include <string>

namespace tarvosk {

// Asks for the target folder of a job whose first entry lies on the drive of firstEntryDrive.
// Nothing when the user cancels or chooses no usable folder (they have been told why).
std::optional<std::u16string> chooseTargetFolder(char16_t firstEntryDrive);

}  // namespace tarvosk
