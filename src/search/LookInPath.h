// The look-in path a search starts from, as the search dialog shows it: the drive part ("C:" for a
// volume, "HardDrive0:" for a physical drive), then each folder down to the searched one, every
// part followed by "\" ("C:\a\b\"). Resolving it ignores the drive part
// (CFileList::FindEntryByPath).
#pragma once

#include <string>
#include <vector>

namespace tarvosk {

// drivePath: the drive character and ":"; folders outermost first.
std::u16string lookInPath(const std::u16string& drivePath, const std::vector<std::u16string>& folders);

}  // namespace tarvosk
