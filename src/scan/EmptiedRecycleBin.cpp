#include "scan/EmptiedRecycleBin.h"

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

  void userFolder(std::uint64_t folderId, const std::u16string& folderPath) {
    ChildIds children = list_.Lookup(folderId).children;  // the copies may land in this folder too
    for (std::uint64_t id : children) {
      const FileEntry* info = list_.Find(id);
      if (info && info->deleted && !info->isFolder && isRecycleInfoName(info->name, firstMayBeLost(*info)))
        pair(children, *info, folderPath + u"\\" + info->name.str());
    }
  }

 private:
  void skip(const std::u16string& infoPath, std::u16string_view why) {
    LOG_Write(g_logAPP, WARNING, u"ListEmptiedRecycleBin: deleted %s skipped: %s", infoPath, why);
  }

  void pair(const ChildIds& folder, const FileEntry& info, const std::u16string& infoPath) {
    if (!readInfoEntry(info, bytes_)) return skip(infoPath, u"cannot be read");
    RecycleInfo parsed;
    RecycleInfoFault fault = parseRecycleInfo(bytes_, parsed);
    if (fault != RecycleInfoFault::None) return skip(infoPath, recycleInfoFaultText(fault));
    const FileEntry* item = nullptr;
    for (std::uint64_t id : folder) {
      const FileEntry* e = list_.Find(id);
      if (e && e != &info && e->deleted && isRecycleItemOf(e->name, info.name, firstMayBeLost(info))) {
        item = e;
        break;
      }
    }
    if (!item) return skip(infoPath, u"no deleted $R item is listed beside it");
    std::uint64_t holderId = 0;
    if (!CFileList::FindEntryByPath(parsed.originalPath, list_, holderId) || !list_.Lookup(holderId).isFolder)
      return skip(infoPath, u"its former folder is not listed");
    PathParts parts = splitPath(parsed.originalPath);
    showSecondTime(list_, item->id, holderId, parts.name + parts.extension);
  }

  DriveFileList& list_;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

void ListEmptiedRecycleBin(DriveFileList& list) {
  EmptiedBin bin(list);
  ChildIds top = list.Lookup(ROOT_ENTRY_ID).children;
  for (std::uint64_t binId : top) {
    const FileEntry* found = list.Find(binId);
    if (!found || binId == ROOT_ENTRY_ID || !isRecycleBinFolder(*found)) continue;
    std::u16string binPath = u"\\" + found->name.str();
    ChildIds users = found->children;
    for (std::uint64_t userId : users) {
      const FileEntry* user = list.Find(userId);
      if (user && user->isFolder && userId != binId) bin.userFolder(userId, binPath + u"\\" + user->name.str());
    }
  }
}

}  // namespace tarvosk
