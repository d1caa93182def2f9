#include "scan/RecycleBinPairs.h"

#include <vector>

#include "log/Log.h"
#include "platform/Files.h"
#include "platform/PathNames.h"
#include "scan/FileList.h"
#include "scan/RecycleBin.h"
#include "scan/RecycleInfo.h"

namespace tarvosk {

namespace {

// The bytes of a live "$I" file, one more than any "$I" may hold at most, so that a longer
// one shows as too long.
bool readInfoFile(const std::u16string& path, std::vector<std::uint8_t>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes.assign(kMaxRecycleInfoSize + 1, 0);
  std::size_t have = 0;
  bool ok = true;
  while (have < bytes.size()) {
    DWORD got = 0;
    if (!ReadFile(file, bytes.data() + have, static_cast<DWORD>(bytes.size() - have), &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    have += got;
  }
  CloseHandle(file);
  bytes.resize(have);
  return ok;
}

void skip(const std::u16string& infoPath, std::u16string_view why) {
  LOG_Write(g_logAPP, WARNING, u"ReadRecycleBinFolder: %s skipped: %s", infoPath, why);
}

void readPair(const std::u16string& folderPath, const std::u16string& infoName, DriveFileList& list,
              std::uint64_t& recycleId) {
  std::u16string infoPath = folderPath + u"\\" + infoName;
  std::vector<std::uint8_t> bytes;
  if (!readInfoFile(infoPath, bytes)) return skip(infoPath, u"cannot be read");
  RecycleInfo info;
  RecycleInfoFault fault = parseRecycleInfo(bytes, info);
  if (fault != RecycleInfoFault::None) return skip(infoPath, recycleInfoFaultText(fault));
  std::u16string itemPath = folderPath + u"\\" + recycleItemNameFor(infoName);
  if (GetFileAttributesW(itemPath.c_str()) == INVALID_FILE_ATTRIBUTES) return skip(infoPath, u"its $R item is missing");
  std::uint64_t folderId = 0;
  if (!CFileList::FindEntryByPath(info.originalPath, list, folderId) || !list.Lookup(folderId).isFolder)
    return skip(infoPath, u"its former folder is not listed");
  PathParts parts = splitPath(info.originalPath);
  std::u16string name = parts.name + parts.extension;
  RecycledItemFacts facts{info.size, info.deletedAt};
  if (!AddDiskFileEntry(list.Lookup(folderId), &name, itemPath, list, recycleId, &facts))
    skip(infoPath, u"its $R item cannot be examined");
}

}  // namespace

void ReadRecycleBinFolder(const std::u16string& folderPath, DriveFileList& list, std::uint64_t& recycleId) {
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW((folderPath + u"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && isRecycleInfoName(data.cFileName, false))
      readPair(folderPath, data.cFileName, list, recycleId);
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

void ListRecycleBinPairs(const std::u16string& drivePath, DriveFileList& list, std::uint64_t& recycleId) {
  std::u16string bin = drivePath.substr(0, 1) + u":\\$Recycle.Bin";
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW((bin + u"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::u16string item = data.cFileName;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !item.empty() && item[0] != u'.')
      ReadRecycleBinFolder(bin + u"\\" + item, list, recycleId);
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

}  // namespace tarvosk
