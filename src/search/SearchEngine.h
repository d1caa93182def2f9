// Runs a search over a scanned drive's list: every file below the look-in folder is tested by
// name, size, date and content; the matches become a result set of their own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/UiPorts.h"
#include "scan/FileList.h"
#include "search/SearchCriteria.h"

namespace tarvosk {

// A result set: a copy of the look-in folder's entry whose children are the matches' ids (ids
// of the drive's own list).
std::unique_ptr<DriveFileList> RunSearch(DriveFileList& drive, std::uint64_t folderId, const std::u16string& namePattern,
                                         const SearchCriteria& criteria, ProgressWindow& window);

// "Search(N)" with the first N from 1 not yet used by a list of lists.
std::u16string nextSearchName(const CFileList& lists);

// Whether the file's data holds the criteria's content (read through the layer that found it).
bool PassesContentTest(const FileEntry& entry, const SearchCriteria& criteria);

}  // namespace tarvosk
