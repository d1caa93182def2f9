// What a recovery job recovers: the entries collected from the drive tree or the active view,
// the bytes they will bring back, and the progress bar's scale for them.
#pragma once

#include <cstdint>
#include <vector>

#include "scan/FileList.h"

namespace tarvosk {

struct JobEntry {
  DriveFileList* list = nullptr;  // the drive's list, through which a folder's children resolve
  FileEntry* entry = nullptr;
};

// Where the user chose: the tree's selected node while the tree has the keyboard focus, else the
// selection of the active view (the file list or the search results).
struct JobSelection {
  bool treeHasFocus = false;
  bool treeNodeHasEntry = false;       // a drive or folder node (not a search node)
  char16_t treeDriveCharacter = 0;
  std::uint64_t treeEntryId = 0;
  std::vector<FileEntry*> viewSelection;  // entries of scanned drives' lists, in row order
};

// The tree's entry when it is a folder or deleted, or every entry of the view's selection whose
// drive is scanned. Empty when there is nothing to recover.
std::vector<JobEntry> collectJobEntries(CFileList& lists, const JobSelection& selection);

// The bytes recovering entry brings back: a deleted file's size, 0 for a file still there, and
// for a folder the sum over everything below it.
std::uint64_t recoverableBytes(DriveFileList& list, const FileEntry& entry);
// The files recovering entry goes through: a deleted file, or every file below a folder (a
// folder comes back with what it still holds).
std::uint64_t filesToRecover(DriveFileList& list, const FileEntry& entry);

// The right shift that brings total to the progress bar's range of at most 32767.
int progressShiftFor(std::uint64_t total);

// A job reports into its log unless it holds exactly one entry, a file.
bool isBatchJob(const std::vector<JobEntry>& entries);

}  // namespace tarvosk
