#include "scan/RecycleBin.h"

#include <vector>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/PathNames.h"
#include "platform/Time.h"
#include "scan/EmptiedRecycleBin.h"
#include "scan/FileList.h"
#include "scan/RecycleBinPairs.h"

namespace tarvosk {

namespace {

// INFO2 layout.
constexpr std::uint32_t kRecordSizeOffset = 12;
constexpr std::uint32_t kFirstRecordOffset = 20;
constexpr std::size_t kAnsiPath = 0;
constexpr std::size_t kAnsiPathLength = 260;
constexpr std::size_t kRecordNumber = 260;
constexpr std::size_t kDriveNumber = 264;
constexpr std::size_t kUnicodePath = 280;
constexpr std::size_t kUnicodePathUnits = 260;

// A kept deleted folder is walked at most this deep, so that a looping folder structure on a
// damaged volume cannot run forever.
constexpr int kMaxFolderDepth = 64;

std::u16string withDriveOf(const std::u16string& drivePath, std::u16string path) {
  if (!drivePath.empty()) path[0] = drivePath[0];
  return path;
}

bool addItem(FileEntry& holder, const std::u16string* name, const std::u16string& path, DriveFileList& list,
             std::uint64_t& recycleId, int depth, const RecycledItemFacts* facts);

void addFolderContents(std::uint64_t folderId, const std::u16string& path, DriveFileList& list, std::uint64_t& recycleId,
                       int depth, bool& listed) {
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW((path + u"\\*").c_str(), &data);
  listed = find != INVALID_HANDLE_VALUE;
  if (!listed) return;
  // Names beginning with "." are passed over, the folder's own "." and ".." among them. The first
  // item is looked at too: not every volume lists "." first (NTFS and host folders need not), and
  // passing over whatever comes first would lose a kept file.
  do {
    std::u16string item = data.cFileName;
    if (item.empty() || item[0] == u'.') continue;
    addItem(list.Lookup(folderId), nullptr, path + u"\\" + item, list, recycleId, depth + 1, nullptr);
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

bool addItem(FileEntry& holder, const std::u16string* name, const std::u16string& path, DriveFileList& list,
             std::uint64_t& recycleId, int depth, const RecycledItemFacts* facts) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  FILETIME written{};
  std::uint64_t size = 0;
  if (folder) {
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(path.c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      written = data.ftLastWriteTime;
      FindClose(find);
    }
  } else {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER length{};
    GetFileTime(file, nullptr, nullptr, &written);
    if (GetFileSizeEx(file, &length)) size = static_cast<std::uint64_t>(length.QuadPart);
    CloseHandle(file);
  }
  if (facts) {
    size = facts->size;
    written = facts->deletedAt;
  }

  std::uint64_t id = recycleId++;
  std::uint64_t holderId = holder.id;
  char16_t letter = holder.driveLetter;
  holder.children.push_back(id);
  holder.hasSubfolders = true;
  FileEntry& entry = list.Lookup(id);
  PathParts parts = splitPath(path);
  entry.name = name ? *name : parts.name + parts.extension;
  entry.id = id;
  entry.parentId = holderId;
  entry.handle = 0;
  entry.driveLetter = letter;
  entry.isFolder = folder;
  entry.deleted = true;
  entry.kind = ENTRY_KIND_RECYCLE_BIN;
  entry.recoveryChance = CHANCE_EXCELLENT;
  entry.startPosition = 0;
  entry.size = folder ? 0 : size;
  entry.recycleBinPath = path;
  FileTimeToDosDateTime(&written, &entry.dosDate, &entry.dosTime);

  if (folder && depth < kMaxFolderDepth) {
    bool listed = false;
    addFolderContents(id, path, list, recycleId, depth, listed);
    if (!listed) return false;
  }
  return true;
}

}  // namespace

std::optional<Info2Record> parseInfo2Record(ByteSpan record, std::uint32_t recordSize) {
  if (record.size() < recordSize || (recordSize != kInfo2AnsiRecordSize && recordSize != kInfo2UnicodeRecordSize))
    return std::nullopt;
  Info2Record out;
  out.recordNumber = le32(record, kRecordNumber);
  out.driveNumber = le32(record, kDriveNumber);
  if (recordSize == kInfo2AnsiRecordSize) {
    std::string ansi(reinterpret_cast<const char*>(record.data() + kAnsiPath), kAnsiPathLength);
    out.deletedPath = ansiToWide(ansi.substr(0, ansi.find('\0')));
  } else {
    for (std::size_t i = 0; i < kUnicodePathUnits; ++i) {
      char16_t c = le16(record, kUnicodePath + 2 * i);
      if (c == 0) break;
      out.deletedPath += c;
    }
  }
  return out;
}

std::u16string keptItemPath(const std::u16string& folderPath, const Info2Record& record) {
  // The drive number of a damaged record may be anything: only "a" to "z" make a name.
  char16_t letter = static_cast<char16_t>(u'a' + record.driveNumber % 26);
  return format(u"%s\\D%c%u%s", folderPath, letter, record.recordNumber, splitPath(record.deletedPath).extension);
}

bool ReadInfo2(const std::u16string& folderPath, DriveFileList& list, std::uint64_t& recycleId) {
  HANDLE file = CreateFileW((folderPath + u"\\INFO2").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::uint8_t sizeField[4] = {};
  DWORD got = 0;
  std::uint32_t recordSize = 0;
  if (SetFilePointer(file, kRecordSizeOffset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
      ReadFile(file, sizeField, 4, &got, nullptr) && got == 4)
    recordSize = le32(sizeField, 0);
  if ((recordSize != kInfo2AnsiRecordSize && recordSize != kInfo2UnicodeRecordSize) ||
      SetFilePointer(file, kFirstRecordOffset, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
    CloseHandle(file);
    return false;
  }
  std::vector<std::uint8_t> buffer(kInfo2UnicodeRecordSize);
  for (;;) {
    std::fill(buffer.begin(), buffer.end(), 0);
    if (!ReadFile(file, buffer.data(), recordSize, &got, nullptr) || got < recordSize) break;
    std::optional<Info2Record> record = parseInfo2Record(ByteSpan(buffer).first(recordSize), recordSize);
    if (!record) break;
    PathParts parts = splitPath(record->deletedPath);
    std::u16string name = parts.name + parts.extension;
    std::uint64_t folderId = 0;
    if (!CFileList::FindEntryByPath(record->deletedPath, list, folderId)) continue;
    addItem(list.Lookup(folderId), &name, keptItemPath(folderPath, *record), list, recycleId, 0, nullptr);
  }
  CloseHandle(file);
  return true;
}

bool AddDiskFileEntry(FileEntry& holder, const std::u16string* name, const std::u16string& path, DriveFileList& list,
                      std::uint64_t& recycleId, const RecycledItemFacts* facts) {
  return addItem(holder, name, path, list, recycleId, 0, facts);
}

namespace {

void readRecyclerFolders(const std::u16string& drivePath, DriveFileList& list, std::uint64_t& recycleId) {
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW(withDriveOf(drivePath, u"c:\\Recycler\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::u16string item = data.cFileName;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !item.empty() && item[0] != u'.')
      ReadInfo2(withDriveOf(drivePath, u"c:\\Recycler\\") + item, list, recycleId);
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

}  // namespace

bool ListRecycleBin(const std::u16string& drivePath, DriveFileList& list) {
  std::uint64_t recycleId = FIRST_RECYCLE_BIN_ENTRY_ID;
  ReadInfo2(withDriveOf(drivePath, u"c:\\Recycled"), list, recycleId);
  readRecyclerFolders(drivePath, list, recycleId);
  ListRecycleBinPairs(drivePath, list, recycleId);
  ListEmptiedRecycleBin(list);
  return true;
}

}  // namespace tarvosk
