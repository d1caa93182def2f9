// The scan engine object: one file list per scanned drive (and per search result set), kept
// under the drive path, the drive character followed by ":".
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/UiPorts.h"
#include "scan/DriveFileList.h"

namespace tarvosk {

class CFileList {
 public:
  // Scans the drive (a volume letter or physical drive path) and stores its new list: the basic
  // scan, or with physical set the carving scan of units [first, last) (last 0: to the end).
  // False when the drive could not be opened; the user has then been told why.
  bool BuildFileList(const std::u16string& drivePath, ProgressWindow& window, bool physical, std::uint64_t first,
                     std::uint64_t last);

  // The list stored under that exact path, or null. Asking leaves an empty slot for the path
  // that a later store fills.
  DriveFileList* GetDriveList(const std::u16string& drivePath);
  // Stores list under the path, replacing (and destroying) any list already there.
  void StoreDriveList(const std::u16string& drivePath, std::unique_ptr<DriveFileList> list);
  // Destroys the path's list, if any, and forgets the path. Always true.
  bool RemoveDriveList(const std::u16string& drivePath);

  // The id of the folder of list that holds the file named by path ("C:\a\b\file.txt" gives
  // the id of folder b); folder names compare without regard to case.
  static bool FindEntryByPath(const std::u16string& path, DriveFileList& list, std::uint64_t& folderId);

  const std::map<std::u16string, std::unique_ptr<DriveFileList>>& lists() const { return lists_; }

 private:
  std::map<std::u16string, std::unique_ptr<DriveFileList>> lists_;
};

// The id of the entry at a path from the list's root ("\\a\\b.txt" or "a/b.txt"), each name
// compared without regard to case; false when there is none. Creates nothing.
bool findIdAtPath(const DriveFileList& list, std::u16string_view path, std::uint64_t& id);

// The drive path of a volume letter or of physical drive n (the character 0x7B plus n).
std::u16string drivePathOfLetter(char16_t letter);
std::u16string drivePathOfPhysicalDrive(int number);
inline bool isPhysicalDrivePath(const std::u16string& drivePath) {
  return !drivePath.empty() && drivePath[0] >= 0x7B;
}

}  // namespace tarvosk
