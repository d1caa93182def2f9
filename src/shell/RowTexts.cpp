#include "shell/RowTexts.h"

#include "platform/Format.h"
#include "platform/Time.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "scan/EntryTimes.h"
#include "scan/RecoveryChance.h"

namespace tarvosk {

std::u16string sizeText(std::uint64_t bytes) {
  constexpr std::uint64_t kKilo = 1024, kMega = 1024 * 1024;
  if (bytes < kKilo) return format(u"%d 字节", static_cast<int>(bytes));
  if (bytes < kMega) return format(u"%.1f KB", static_cast<double>(bytes) / kKilo);
  return format(u"%.1f MB", static_cast<double>(bytes) / kMega);
}

std::u16string fileSizeText(const FileEntry& entry) { return entry.isFolder ? std::u16string() : sizeText(entry.size); }

std::u16string_view nameExtension(std::u16string_view name) {
  const std::size_t dot = name.rfind(u'.');
  return dot == std::u16string_view::npos ? std::u16string_view() : name.substr(dot + 1);
}

std::u16string fileTypeText(const FileEntry& entry) {
  if (entry.isFolder) return std::u16string(loadString(entry.deleted ? res::IDS_TYPE_DELETED_FOLDER : res::IDS_TYPE_FOLDER));
  if (!entry.deleted) return {};
  std::u16string text(loadString(res::IDS_TYPE_DELETED_FILE));
  const std::u16string_view extension = nameExtension(entry.name);
  if (!extension.empty()) {
    text += u" (";
    for (char16_t c : extension) text += (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
    text += u')';
  }
  return text;
}

std::u16string modifiedText(const FILETIME& local) {
  SYSTEMTIME t{};
  if (!FileTimeToSystemTime(&local, &t)) return {};
  return format(u"%02d/%02d/%d  %02d:%02d", t.wDay, t.wMonth, t.wYear, t.wHour, t.wMinute);
}

std::u16string modifiedText(const FileEntry& entry) {
  FILETIME local{};
  return entryModifiedTime(entry, local) ? modifiedText(local) : std::u16string();
}

std::u16string conditionText(FileEntry& entry) {
  if (!entry.deleted || entry.isFolder) return {};
  WCHAR text[kRecoveryChanceTextUnits] = {};
  GetRecoveryChanceText(text, entry);
  return text;
}

}  // namespace tarvosk
