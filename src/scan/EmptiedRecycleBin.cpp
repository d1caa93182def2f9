#include "scan/EmptiedRecycleBin.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "log/Log.h"
#include "platform/CaseFolding.h"
#include "platform/PathNames.h"
#include "scan/EntryContent.h"
#include "scan/FileList.h"
#include "scan/RecycleInfo.h"

namespace tarvosk {

namespace {

// A deleted item's folders are copied this deep at most (damaged folder data can nest without end).
constexpr int kMaxFolderDepth = 1024;

// A deleted FAT 8.3 name has lost its first character, listed as "?".
bool firstMayBeLost(const FileEntry& entry) { return entry.deleted && entry.kind == ENTRY_KIND_FAT; }

// "$Recycle.Bin"; on FAT, where Windows gives it no long name, the walker lists a folder's short
// name without its extension: "$RECYCLE".
bool isRecycleBinFolder(const FileEntry& entry) {
  std::u16string_view name = entry.name;
  if (!entry.isFolder || name.empty() || (name[0] != u'$' && !(firstMayBeLost(entry) && name[0] == u'?')))
    return false;
  name.remove_prefix(1);
  return equalsIgnoreCase(name, u"Recycle.Bin") || (entry.kind == ENTRY_KIND_FAT && equalsIgnoreCase(name, u"Recycle"));
}

// The bytes of a deleted "$I" file, up to one more than any "$I" may hold.
bool readInfoEntry(const FileEntry& info, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  return readFileContent(info, [&bytes](ByteSpan piece) {
    std::size_t room = kMaxRecycleInfoSize + 1 - bytes.size();
    bytes.insert(bytes.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(std::min(room, piece.size())));
    return bytes.size() <= kMaxRecycleInfoSize;
  });
}

// Copies the entry (and, for a folder, everything beneath it) under holder, the copy of the top
// named name. An entry copied once is not copied again, so damaged folder data that loops ends.
void showSecondTime(DriveFileList& list, std::uint64_t itemId, std::uint64_t holderId, const std::u16string& name) {
  struct Copy {
    std::uint64_t from;
    std::uint64_t parent;
    int depth;
  };
  std::vector<Copy> stack{{itemId, holderId, 0}};
  while (!stack.empty()) {
    Copy copy = stack.back();
    stack.pop_back();
    std::uint64_t to = SECOND_SHOWING_ID_TAG | copy.from;
    if ((copy.from & ~MFT_RECORD_NUMBER_MASK) != 0 || copy.from == ROOT_ENTRY_ID || list.Find(to)) continue;
    FileEntry* source = list.Find(copy.from);
    if (!source) continue;
    FileEntry& shown = list.Lookup(to);
    shown.name = copy.from == itemId ? name : source->name.str();
    shown.recycleBinPath = source->recycleBinPath;
    shown.id = to;
    shown.parentId = copy.parent;
    shown.size = source->size;
    shown.startPosition = source->startPosition;
    shown.handle = source->handle;
    shown.dosTime = source->dosTime;
    shown.dosDate = source->dosDate;
    shown.driveLetter = source->driveLetter;
    shown.recoveryChance = source->recoveryChance;
    shown.kind = source->kind;
    shown.isFolder = source->isFolder;
    shown.deleted = source->deleted;
    FileEntry& parent = list.Lookup(copy.parent);
    parent.children.push_back(to);
    if (shown.isFolder) parent.hasSubfolders = true;
    if (!shown.isFolder || copy.depth >= kMaxFolderDepth) continue;
    // Pushed last to first, so that the copies keep the children's order.
    for (auto child = source->children.rbegin(); child != source->children.rend(); ++child)
      stack.push_back({*child, to, copy.depth + 1});
  }
}

class EmptiedBin {
 public:
  explicit EmptiedBin(DriveFileList& list) : list_(list) {}

  // Notes the folder's deleted "$I" files, and the first deleted "$R" item of each suffix.
  void gather(std::uint64_t folderId, std::u16string folderPath) {
    std::size_t folder = folderPaths_.size();
    folderPaths_.push_back(std::move(folderPath));
    for (std::uint64_t id : list_.Lookup(folderId).children) {
      const FileEntry* e = list_.Find(id);
      if (!e || !e->deleted) continue;
      bool lost = firstMayBeLost(*e);
      if (isRecycleItemName(e->name, lost)) items_.try_emplace({folder, recycleSuffixKey(e->name)}, id);
      else if (!e->isFolder && isRecycleInfoName(e->name, lost)) infos_.push_back({id, folder});
    }
  }

  // Pairs the "$I" files in the order of their ids: on NTFS that is the order of their MFT
  // records, which are then read in one sweep.
  void pairAll() {
    std::sort(infos_.begin(), infos_.end(), [](const Info& a, const Info& b) { return a.id < b.id; });
    for (const Info& info : infos_) pair(list_.Lookup(info.id), info.folder);
  }

 private:
  struct Info {
    std::uint64_t id;
    std::size_t folder;  // in folderPaths_
  };

  void skip(const FileEntry& info, std::size_t folder, std::u16string_view why) {
    LOG_Write(g_logAPP, WARNING, u"ListEmptiedRecycleBin: deleted %s\\%s skipped: %s", folderPaths_[folder], info.name, why);
  }

  void pair(const FileEntry& info, std::size_t folder) {
    if (!readInfoEntry(info, bytes_)) return skip(info, folder, u"cannot be read");
    RecycleInfo parsed;
    RecycleInfoFault fault = parseRecycleInfo(bytes_, parsed);
    if (fault != RecycleInfoFault::None) return skip(info, folder, recycleInfoFaultText(fault));
    auto item = items_.find({folder, recycleSuffixKey(info.name)});
    if (item == items_.end()) return skip(info, folder, u"no deleted $R item is listed beside it");
    std::uint64_t holderId = 0;
    if (!CFileList::FindEntryByPath(parsed.originalPath, list_, holderId) || !list_.Lookup(holderId).isFolder)
      return skip(info, folder, u"its former folder is not listed");
    PathParts parts = splitPath(parsed.originalPath);
    showSecondTime(list_, item->second, holderId, parts.name + parts.extension);
  }

  DriveFileList& list_;
  std::vector<std::u16string> folderPaths_;
  std::map<std::pair<std::size_t, std::u16string>, std::uint64_t> items_;  // by folder and suffix key
  std::vector<Info> infos_;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

void ListEmptiedRecycleBin(DriveFileList& list) {
  EmptiedBin bin(list);
  for (std::uint64_t binId : list.Lookup(ROOT_ENTRY_ID).children) {
    const FileEntry* found = list.Find(binId);
    if (!found || binId == ROOT_ENTRY_ID || !isRecycleBinFolder(*found)) continue;
    for (std::uint64_t userId : found->children) {
      const FileEntry* user = list.Find(userId);
      if (user && user->isFolder && userId != binId)
        bin.gather(userId, u"\\" + found->name.str() + u"\\" + user->name.str());
    }
  }
  bin.pairAll();
}

}  // namespace tarvosk
