// The folder a recovery writes into: chosen in the folder browser and remembered as
// RestoreFolder (the undelete command), or given and made when missing (the command line);
// never, unless the user insists, on the drive the files come from.
#pragma once

#include <optional>
#include <string>

#include "platform/WinTypes.h"

namespace tarvosk {

// Asks for the target folder of a job whose first entry lies on the drive of firstEntryDrive;
// a folder on that drive is warned about (SameDriveWarn) and, when the user says no, chosen
// again. Nothing when the user cancels or chooses no usable folder (they have been told why).
std::optional<std::u16string> chooseTargetFolder(char16_t firstEntryDrive);

enum class TargetFolderCheck { Ready, OnSource, CannotCreate };

// Makes sure folder can take the recovered files of the drive at sourceDrivePath (a letter or a
// physical drive): OnSource when it lies inside an attached volume ("C:\..."), or where the host
// has mounted the source drive or a volume of it; otherwise it is created with its missing
// parents (CannotCreate, with the system's error, when that fails).
TargetFolderCheck prepareTargetFolder(const std::u16string& folder, const std::u16string& sourceDrivePath, DWORD& error);

}  // namespace tarvosk
