#include "recover/TargetFolder.h"

#include "platform/DriveNamespace.h"
#include "platform/Files.h"
#include "platform/PathNames.h"
#include "platform/UiPorts.h"
#include "platform/WinError.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "scan/FileList.h"
#include "settings/Settings.h"

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

std::u16string text(unsigned id) { return std::u16string(loadString(id)); }

void warn(unsigned id) { userInterface().messageBox(text(id), kProgramTitle, MB_OK | MB_ICONEXCLAMATION); }

char16_t upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

}  // namespace

std::optional<std::u16string> chooseTargetFolder(char16_t firstEntryDrive) {
  UserInterface& ui = userInterface();
  if (!ui.canBrowseForFolder()) {
    warn(res::IDS_FOLDER_PICKER_FAILED);
    return std::nullopt;
  }
  std::u16string initial = settings().RestoreFolder;
  if (!initial.empty() && !isFolder(initial)) initial.clear();
  unsigned title = res::IDS_CHOOSE_RESTORE_FOLDER;
  // Each round is the user's: a folder on the files' own drive, refused, means browsing again.
  for (;;) {
    std::u16string chosen;
    if (!ui.browseForFolder(text(title), initial, chosen)) return std::nullopt;
    if (chosen.empty() || !isFolder(chosen)) {
      warn(res::IDS_INVALID_FOLDER_CHOSEN);
      return std::nullopt;
    }
    settings().RestoreFolder = chosen;
    SaveSettings();
    const char16_t targetDrive = driveLetterHoldingPath(chosen);
    if (!settings().SameDriveWarn || targetDrive == 0 || upper(targetDrive) != upper(firstEntryDrive)) return chosen;
    if (ui.messageBox(text(res::IDS_SAME_DRIVE_WARNING), kProgramTitle, MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
      return chosen;
    title = res::IDS_CHOOSE_DIFFERENT_FOLDER;
    initial = chosen;
  }
}

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
