// Paths inside a mounted volume as the providers walk them.
#pragma once

#include <string>
#include <vector>

#include "platform/VolumeServices.h"

namespace tarvosk {

// The folder and file names of a path inside a volume ("a\b\c.txt": a, b, c.txt); empty for
// the root. "\" and "/" both separate; empty components are dropped.
std::vector<std::u16string> pathComponents(const std::u16string& path);

// Cuts a path into its folder ("a\b\", "" for the root) and its last name; false for the root.
bool splitLastName(const std::u16string& path, std::u16string& folder, std::u16string& name);

// What stat gives for the root folder of any volume.
VolumeFileInfo rootFolderInfo();

}  // namespace tarvosk
