// The benchmark volumes in /tmp/tarvosk-bench, made by the bench/make-*-bench-volume(s).sh
// scripts when missing, attached and given a basic scan for the recovery and search benchmarks.
#pragma once

#include <memory>
#include <string>

#include "scan/FileList.h"

namespace tarvosk::bench {

inline const std::string kBenchDir = "/tmp/tarvosk-bench";

// Runs bench/script with its arguments unless path exists; throws when that fails.
void makeIfMissing(const std::string& path, const std::string& script, const std::string& arguments);

// A basic scan of one image, attached on its own as C:.
struct ScannedVolume {
  explicit ScannedVolume(const std::string& image);
  ~ScannedVolume();
  ScannedVolume(const ScannedVolume&) = delete;
  ScannedVolume& operator=(const ScannedVolume&) = delete;
  DriveFileList& list() { return *lists.GetDriveList(u"C:"); }
  CFileList lists;
};

// The sum of the sizes of the deleted files at and below entry.
std::uint64_t deletedBytes(DriveFileList& list, const FileEntry& entry);
// The number of deleted files at and below entry.
std::uint64_t deletedFiles(DriveFileList& list, const FileEntry& entry);

}  // namespace tarvosk::bench
