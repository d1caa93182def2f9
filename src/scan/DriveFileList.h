// One drive's found files and folders: entries by id, folders naming their children by id.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>

#include "scan/FileEntry.h"
#include "scan/ScanHandle.h"

namespace tarvosk {

class DriveFileList {
 public:
  // The entry of that id, created with the defaults first if the list has none. References stay
  // valid while the list lives.
  FileEntry& Lookup(std::uint64_t id);
  // The entry of that id, or null; creates nothing.
  FileEntry* Find(std::uint64_t id);
  const FileEntry* Find(std::uint64_t id) const;
  std::size_t size() const { return entries_.size(); }

  auto begin() { return entries_.begin(); }
  auto end() { return entries_.end(); }

  // The handle of the scan whose entries this list holds or names (a search's result set shares
  // its drive list's); closed when the last list holding it goes.
  void holdScanHandle(std::shared_ptr<ScanHandle> handle) { scanHandle_ = std::move(handle); }
  const std::shared_ptr<ScanHandle>& scanHandle() const { return scanHandle_; }

 private:
  std::shared_ptr<ScanHandle> scanHandle_;
  std::unordered_map<std::uint64_t, FileEntry> entries_;
};

// Whether entry is, or holds, a deleted file; sets the no-deleted-files flag of entry and of
// everything beneath it. Folders met twice (a loop in damaged folder data) count once.
bool ComputeDeletedFlags(DriveFileList& list, FileEntry& entry);

}  // namespace tarvosk
