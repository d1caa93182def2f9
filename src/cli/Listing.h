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

// The path of an entry from its drive's root, through its parents.
std::u16string entryPath(DriveFileList& list, const FileEntry& entry);

// The entry at a path as the listing prints it ("\Docs\a.txt"), names compared without regard
// to case; null when there is none.
FileEntry* entryAtListedPath(DriveFileList& list, const std::u16string& path);

// Prints the entries in the order given (the search's matches).
void printListing(const std::vector<ListedEntry>& entries, ListingFormat format, std::ostream& out);
// Prints every entry of the drive, depth first in list order (the root itself left out).
void printDrive(DriveFileList& list, ListingFormat format, std::ostream& out);

}  // namespace tarvosk::cli
