#include "platform/DriveOfPath.h"

#include <filesystem>
#include <system_error>

#include "platform/PathNames.h"

namespace tarvosk {

namespace {

// Whether path is folder or lies below it ("/mnt/a" holds "/mnt/a/b", not "/mnt/ab").
bool holds(std::string_view folder, std::string_view path) {
  while (folder.size() > 1 && folder.back() == '/') folder.remove_suffix(1);
  if (!path.starts_with(folder)) return false;
  return path.size() == folder.size() || folder == "/" || path[folder.size()] == '/';
}

std::string resolved(const std::string& path) {
  std::error_code error;
  std::filesystem::path canonical = std::filesystem::weakly_canonical(std::filesystem::absolute(path, error), error);
  return error ? path : canonical.string();
}

}  // namespace

WCHAR driveLetterOfHostPath(std::string_view hostPath, const std::vector<LogicalDriveInfo>& drives) {
  WCHAR letter = 0;
  std::size_t deepest = 0;
  for (const LogicalDriveInfo& drive : drives) {
    if (drive.mountPoint.empty() || !holds(drive.mountPoint, hostPath)) continue;
    if (letter == 0 || drive.mountPoint.size() > deepest) {
      letter = drive.letter;
      deepest = drive.mountPoint.size();
    }
  }
  return letter;
}

WCHAR driveLetterOfPath(std::u16string_view path) {
  ParsedPath parsed = parsePath(path);
  if (parsed.kind == PathKind::DrivePath || parsed.kind == PathKind::Volume) return parsed.letter;
  if (parsed.kind != PathKind::Host) return 0;
  std::vector<LogicalDriveInfo> drives = logicalDrives();
  for (LogicalDriveInfo& drive : drives)
    if (!drive.mountPoint.empty()) drive.mountPoint = resolved(drive.mountPoint);
  return driveLetterOfHostPath(resolved(parsed.host), drives);
}

}  // namespace tarvosk
