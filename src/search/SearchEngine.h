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

// What became of a search command once its criteria were confirmed.
enum class SearchOutcome {
  Resolved,       // the look-in folder is found: the search can run
  Stored,         // the result set is stored under the name given back
  NoLookInText,   // an empty look-in text: nothing happens, nothing is shown
  InvalidDrive,   // the drive was never scanned: string 4 was shown
  InvalidPath,    // the look-in folder cannot be resolved: string 3 was shown
};

// The checks of the search command before it runs: the drive at drivePath was scanned (else
// string 4 is shown) and the look-in text ("C:\a\b", whose drive part is ignored) names a folder
// of its list (else string 3); an empty text ends the command silently. Resolved gives the
// drive's list and the folder's id.
SearchOutcome ResolveLookIn(CFileList& lists, const std::u16string& drivePath, std::u16string lookIn,
                            DriveFileList*& drive, std::uint64_t& folderId);

// The search command after its property sheet: resolves the look-in text ("C:\a\b", whose
// drive part is ignored) in the list of the drive at drivePath, runs the search there and
// stores the result set in lists under the next "Search(N)", which goes into setName.
SearchOutcome SearchDrive(CFileList& lists, const std::u16string& drivePath, std::u16string lookIn,
                          const std::u16string& namePattern, const SearchCriteria& criteria, ProgressWindow& window,
                          std::u16string& setName);

}  // namespace tarvosk
