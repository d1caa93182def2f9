// An emptied recycle bin of Windows Vista and later: its deleted "$I" files still say where
// their deleted "$R" partners lived and what they were called.
#pragma once

#include "scan/DriveFileList.h"

namespace tarvosk {

// For each deleted "$I" file in a user folder of "\$Recycle.Bin" that the scan listed, shows its
// deleted "$R" partner (with everything in it, for a folder) a second time under its former
// folder and name; the "$I" and "$R" entries stay where they are. The second showing of an entry
// has the id SECOND_SHOWING_ID_TAG | its id and reads the same data. A "$I" that cannot be read
// or is malformed, whose partner is not listed or whose former folder is not, is skipped with a
// log line.
void ListEmptiedRecycleBin(DriveFileList& list);

}  // namespace tarvosk
