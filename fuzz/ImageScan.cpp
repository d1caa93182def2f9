#include "ImageScan.h"

#include <string>

#include "FuzzTarget.h"
#include "support/FakeUi.h"

namespace tarvosk::fuzz {

namespace {

void scan(CFileList& lists, const std::u16string& drivePath, bool carving,
          const std::function<void(DriveFileList&)>& visit) {
  test::FakeProgress progress;
  if (!lists.BuildFileList(drivePath, progress, carving, 0, carving ? kCarvedUnits : 0)) return;
  DriveFileList* list = lists.GetDriveList(drivePath);
  if (!list) return;
  for (const FileEntry& entry : *list)
    for (std::uint64_t child : entry.children) require(list->Find(child) != nullptr, "every child is listed");
  if (FileEntry* root = list->Find(ROOT_ENTRY_ID)) ComputeDeletedFlags(*list, *root);
  visit(*list);
}

}  // namespace

void scanImage(CFileList& lists, std::uint8_t options, const std::function<void(DriveFileList&)>& visit) {
  scan(lists, drivePathOfLetter(u'C'), false, visit);
  if (options & 1) scan(lists, drivePathOfLetter(u'C'), true, visit);
  if (options & 2) scan(lists, drivePathOfPhysicalDrive(0), true, visit);
}

}  // namespace tarvosk::fuzz
