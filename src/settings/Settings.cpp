#include "settings/Settings.h"

#include <vector>

#include "platform/Registry.h"
#include "platform/WinError.h"

namespace tarvosk {

namespace {

bool queryDword(HKEY key, const char16_t* name, DWORD& out) {
  DWORD type = 0, value = 0, size = sizeof value;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS) return false;
  out = value;
  return true;
}

void loadSwitch(HKEY key, const char16_t* name, bool& field) {
  DWORD value = 0;
  if (queryDword(key, name, value)) field = value != 0;
}

void loadSize(HKEY key, const char16_t* name, std::int32_t& field) {
  DWORD value = 0;
  if (queryDword(key, name, value)) field = static_cast<std::int32_t>(value);
}

// The folder ends at its first zero character and at the record's limit, whether or not the
// stored string carries a terminator (the program itself stores it without one).
void loadFolder(HKEY key, std::u16string& field) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, u"RestoreFolder", nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return;
  std::vector<char16_t> units(size / 2 + 1, u'\0');
  DWORD got = size;
  if (RegQueryValueExW(key, u"RestoreFolder", nullptr, &type, reinterpret_cast<BYTE*>(units.data()), &got) != ERROR_SUCCESS)
    return;
  std::u16string text(units.data(), got / 2);
  text = text.substr(0, text.find(u'\0'));
  field = text.substr(0, kRestoreFolderMax);
}

void saveSwitch(HKEY key, const char16_t* name, bool field) {
  DWORD value = field ? 1 : 0;
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace

Settings& settings() {
  static Settings record;
  return record;
}

void LoadSettings() {
  Settings& s = settings();
  s = Settings{};
  HKEY key = nullptr;
  if (RegCreateKeyW(HKEY_CURRENT_USER, kSettingsKey, &key) != ERROR_SUCCESS) return;
  loadSwitch(key, u"SameDriveWarn", s.SameDriveWarn);
  loadSwitch(key, u"ShowEmptyFolders", s.ShowEmptyFolders);
  loadSwitch(key, u"ShowRecoveryChanses", s.ShowRecoveryChanses);
  loadSwitch(key, u"UseAutoSort", s.UseAutoSort);
  loadSwitch(key, u"ScanRecycleBin", s.ScanRecycleBin);
  loadSwitch(key, u"ShowWizardOnStartUp", s.ShowWizardOnStartUp);
  loadSize(key, u"MinTextFileSize", s.MinTextFileSize);
  loadSize(key, u"MinTiffFileSize", s.MinTiffFileSize);
  loadFolder(key, s.RestoreFolder);
  loadSwitch(key, u"ExactLengths", s.ExactLengths);
  RegCloseKey(key);
}

void SaveSettings() {
  const Settings& s = settings();
  HKEY key = nullptr;
  if (RegCreateKeyW(HKEY_CURRENT_USER, kSettingsKey, &key) != ERROR_SUCCESS) return;
  saveSwitch(key, u"SameDriveWarn", s.SameDriveWarn);
  saveSwitch(key, u"ShowEmptyFolders", s.ShowEmptyFolders);
  saveSwitch(key, u"ShowRecoveryChanses", s.ShowRecoveryChanses);
  saveSwitch(key, u"UseAutoSort", s.UseAutoSort);
  saveSwitch(key, u"ShowWizardOnStartUp", s.ShowWizardOnStartUp);
  saveSwitch(key, u"ScanRecycleBin", s.ScanRecycleBin);
  std::u16string folder = s.RestoreFolder.substr(0, kRestoreFolderMax);
  RegSetValueExW(key, u"RestoreFolder", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.data()),
                 static_cast<DWORD>(folder.size() * 2));
  saveSwitch(key, u"ExactLengths", s.ExactLengths);
  RegCloseKey(key);
}

}  // namespace tarvosk
