// The user's preferences: one record for the whole process, loaded from the registry at start-up
// and written back when the user changes them.
#pragma once

#include <cstdint>
#include <string>

namespace tarvosk {

// Fields carry the names of their registry values.
struct Settings {
  bool UseAutoSort = false;
  bool ShowEmptyFolders = true;
  bool ShowRecoveryChanses = true;
  bool SameDriveWarn = true;
  bool ShowWizardOnStartUp = true;
  bool ScanRecycleBin = true;
  std::u16string RestoreFolder;       // at most kRestoreFolderMax characters
  std::int32_t MinTextFileSize = 800;   // bytes; set only from outside the program
  std::int32_t MinTiffFileSize = 8192;  // bytes; set only from outside the program
  // Carving finds each file's true end from its structure (TIFF directories, PDF cross-reference,
  // UTF-8 and GBK text, markup ends, MP3 frames, AVI chunks) instead of the classic length rules.
  bool ExactLengths = false;
};

inline constexpr char16_t kSettingsKey[] = u"Software\\Vaskorel\\Tarvosk";
inline constexpr std::size_t kRestoreFolderMax = 260;

// The process's record.
Settings& settings();

// Fills the record: defaults first, then every value the key holds (creating the key if it is
// missing). Registry failures are silent and leave the defaults.
void LoadSettings();

// Writes the six switches, the restore folder and the exact-lengths switch; never the two
// minimum sizes.
void SaveSettings();

}  // namespace tarvosk
