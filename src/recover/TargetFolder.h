// The folder a recovery writes into: never on the drive the files come from, made when missing.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace tarvosk {

enum class TargetFolderCheck { Ready, OnSource, CannotCreate };

// Makes sure folder can take the recovered files of the drive at sourceDrivePath (a letter or a
// physical drive): OnSource when it lies inside an attached volume ("C:\..."), or where the host
// has mounted the source drive or a volume of it; otherwise it is created with its missing
// parents (CannotCreate, with the system's error, when that fails).
TargetFolderCheck prepareTargetFolder(const std::u16string& folder, const std::u16string& sourceDrivePath, DWORD& error);

}  // namespace tarvosk
