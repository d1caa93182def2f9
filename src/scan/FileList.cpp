#include "scan/FileList.h"

#include "platform/CaseFolding.h"
#include "platform/PathNames.h"

namespace tarvosk {

DriveFileList* CFileList::GetDriveList(const std::u16string& drivePath) { return lists_[drivePath].get(); }

void CFileList::StoreDriveList(const std::u16string& drivePath, std::unique_ptr<DriveFileList> list) {
  lists_[drivePath] = std::move(list);
}

bool CFileList::RemoveDriveList(const std::u16string& drivePath) {
  lists_.erase(drivePath);
  return true;
}

bool CFileList::FindEntryByPath(const std::u16string& path, DriveFileList& list, std::uint64_t& folderId) {
  return !path.empty() && findIdAtPath(list, splitPath(path).folder, folderId);
}

bool findIdAtPath(const DriveFileList& list, std::u16string_view path, std::uint64_t& id) {
  std::uint64_t current = ROOT_ENTRY_ID;
  if (!list.Find(current)) return false;
  for (const std::u16string& name : pathComponents(path)) {
    const FileEntry* entry = list.Find(current);
    if (!entry) return false;
    bool found = false;
    for (std::uint64_t childId : entry->children) {
      const FileEntry* child = childId == ROOT_ENTRY_ID ? nullptr : list.Find(childId);
      if (child && equalsIgnoreCase(child->name, name)) {
        current = childId;
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
  id = current;
  return true;
}

std::u16string drivePathOfLetter(char16_t letter) { return std::u16string{letter, u':'}; }

std::u16string drivePathOfPhysicalDrive(int number) {
  return std::u16string{static_cast<char16_t>(0x7B + number), u':'};
}

}  // namespace tarvosk
