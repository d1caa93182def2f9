// Printing found entries: a readable tree, tab-separated lines, or one JSON object per line.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "scan/DriveFileList.h"

namespace tarvosk::cli {

enum class ListingFormat { Text, Tsv, Json };
bool parseListingFormat(const std::string& text, ListingFormat& out);

struct ListedEntry {
  std::u16string path;  // from the drive's root, "\" separated, starting with "\"
  FileEntry* entry = nullptr;
  int depth = 0;
};

// Every entry below folder, depth first in list order (the root itself and id 5 left out).
std::vector<ListedEntry> collectEntries(DriveFileList& list, std::uint64_t folder);
// The path of an entry from its drive's root, through its parents.
std::u16string entryPath(DriveFileList& list, const FileEntry& entry);

// The entry at a path as the listing prints it ("\Docs\a.txt"), names compared without regard
// to case; null when there is none.
FileEntry* entryAtListedPath(DriveFileList& list, const std::u16string& path);

void printListing(const std::vector<ListedEntry>& entries, ListingFormat format, std::ostream& out);

}  // namespace tarvosk::cli
