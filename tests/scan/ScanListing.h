// Reading a finished scan as paths, beside what sleuthkit said about the scanned image.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "scan/DriveFileList.h"
#include "support/SleuthkitOutput.h"

namespace tarvosk::test {

// Every entry reachable from the root as "\folder\name" -> entry (the root itself excluded).
std::map<std::u16string, const FileEntry*> entriesByPath(DriveFileList& list);

}  // namespace tarvosk::test
