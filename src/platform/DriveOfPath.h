// Which attached drive a path lies on, for the warning against recovering files onto the drive
// that holds them.
#pragma once

#include <string_view>
#include <vector>

#include "platform/DriveNamespace.h"

namespace tarvosk {

// The letter of a "C:\..." path; for a host path, the letter of the attached volume that the
// host has mounted at the deepest folder holding it. 0 when the path lies on no attached volume.
WCHAR driveLetterOfPath(std::u16string_view path);

// The host-path part of that: hostPath absolute and resolved, the drives' mount points too.
WCHAR driveLetterOfHostPath(std::string_view hostPath, const std::vector<LogicalDriveInfo>& drives);

}  // namespace tarvosk
