#include "recover/TargetFolder.h"

#include "platform/DriveNamespace.h"
#include "platform/Files.h"
#include "platform/PathNames.h"
#include "platform/WinError.h"
#include "scan/FileList.h"

namespace tarvosk {

namespace {

bool isFolder(const std::u16string& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Whether the host has mounted the source drive (or, for a physical drive, one of its volumes)
// where path lies.
bool liesOnSource(const std::u16string& path, const std::u16string& sourceDrivePath) {
  WCHAR letter = driveLetterHoldingPath(path);
  if (letter == 0 || sourceDrivePath.empty()) return false;
  if (!isPhysicalDrivePath(sourceDrivePath)) return letter == sourceDrivePath[0];
  LogicalDriveInfo drive;
  return findLogicalDrive(letter, drive) && drive.physicalDrive == sourceDrivePath[0] - 0x7B;
}

}  // namespace

TargetFolderCheck prepareTargetFolder(const std::u16string& folder, const std::u16string& sourceDrivePath, DWORD& error) {
  error = ERROR_SUCCESS;
  if (parsePath(folder).kind != PathKind::Host || liesOnSource(folder, sourceDrivePath)) return TargetFolderCheck::OnSource;
  if (isFolder(folder)) return TargetFolderCheck::Ready;
  // Each missing folder from the top down.
  std::u16string made = !folder.empty() && (folder[0] == u'/' || folder[0] == u'\\') ? u"/" : u"";
  for (const std::u16string& name : pathComponents(folder)) {
    made += name;
    if (!isFolder(made) && !CreateDirectoryW(made.c_str(), nullptr)) {
      error = GetLastError();
      return TargetFolderCheck::CannotCreate;
    }
    made += u'/';
  }
  if (isFolder(folder)) return TargetFolderCheck::Ready;
  error = ERROR_PATH_NOT_FOUND;
  return TargetFolderCheck::CannotCreate;
}

}  // namespace tarvosk
