#include "recover/TargetFolder.h"

#include "platform/DriveOfPath.h"
#include "platform/Files.h"
#include "platform/UiPorts.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "settings/Settings.h"

namespace tarvosk {

namespace {

std::u16string text(unsigned id) { return std::u16string(loadString(id)); }

void warn(unsigned id) { userInterface().messageBox(text(id), kProgramTitle, MB_OK | MB_ICONEXCLAMATION); }

bool isFolder(const std::u16string& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

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
    const char16_t targetDrive = driveLetterOfPath(chosen);
    if (!settings().SameDriveWarn || targetDrive == 0 || upper(targetDrive) != upper(firstEntryDrive)) return chosen;
    if (ui.messageBox(text(res::IDS_SAME_DRIVE_WARNING), kProgramTitle, MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
      return chosen;
    title = res::IDS_CHOOSE_DIFFERENT_FOLDER;
    initial = chosen;
  }
}

}  // namespace tarvosk
