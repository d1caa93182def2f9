#include "volfs/NtfsNameIndex.h"

#include <algorithm>

#include "ntfs/Attribute.h"
#include "ntfs/NtfsLayout.h"

namespace tarvosk {

using namespace ntfs;

std::u16string foldNtfsName(const std::u16string& name) {
  std::u16string folded = name;
  for (char16_t& c : folded) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) c = static_cast<char16_t>(c - 0x20);
  }
  return folded;
}

namespace {

// One $FILE_NAME of a record in use, in the order the records were read.
struct FoundName {
  std::uint64_t owner;
  std::uint64_t parent;
  bool dos;
  std::u16string name;
};

}  // namespace

void NtfsNameIndex::build(NtfsVolumeEntry& volume) {
  children_.clear();
  byName_.clear();
  std::uint64_t count = mftRecordCount(volume);
  folders_.assign(static_cast<std::size_t>(count), false);
  std::vector<BYTE> record(volume.recordSize);
  std::vector<FoundName> found;
  for (std::uint64_t number = 0; number < count; ++number) {
    DWORD r = __GetMFTRecord(volume, number, record);
    if (r == 2) break;
    if (r != 0) continue;
    ByteSpan bytes(record.data(), record.size());
    std::uint16_t flags = le16(bytes, kRecordFlags);
    if (!(flags & kRecordInUse)) continue;
    std::uint64_t base = le64(bytes, kRecordBaseReference) & kRecordNumberMask;
    std::uint64_t owner = base != 0 ? base : number;
    if (base == 0) folders_[static_cast<std::size_t>(number)] = (flags & kRecordIsFolder) != 0;
    if (owner < kFirstUserRecord && owner != kMftRecordRoot) continue;  // the system files
    forEachAttribute(bytes, [&](ByteSpan attr) {
      if (le32(attr, kAttrType) != kAttrFileName) return true;
      ByteSpan value = residentValue(attr);
      if (!fitsIn(value.size(), kFnName, 2u * le8(value, kFnNameLength))) return true;
      std::uint64_t parent = le64(value, kFnParentReference) & kRecordNumberMask;
      if (parent == owner) return true;  // the root names itself
      found.push_back({owner, parent, le8(value, kFnNamespace) == kFnNamespaceDos, fileNameText(value)});
      return true;
    });
  }
  // Names by (owner, parent), so that each long name gets the DOS name beside it; records are
  // read in order, so the names of one owner (base and extension records) mostly lie together.
  std::stable_sort(found.begin(), found.end(), [](const FoundName& a, const FoundName& b) {
    return a.owner != b.owner ? a.owner < b.owner : a.parent < b.parent;
  });
  for (std::size_t first = 0; first < found.size();) {
    std::size_t end = first;
    const std::u16string* dos = nullptr;
    std::size_t longNames = 0;
    for (; end < found.size() && found[end].owner == found[first].owner && found[end].parent == found[first].parent; ++end) {
      if (found[end].dos) dos = &found[end].name;
      else ++longNames;
    }
    std::uint64_t parent = found[first].parent;
    for (std::size_t i = first; i < end; ++i) {
      if (found[i].dos) continue;
      auto& list = children_[parent];
      byName_[parent].emplace(foldNtfsName(found[i].name), list.size());
      list.push_back(NtfsNameEntry{std::move(found[i].name), dos && longNames == 1 ? *dos : std::u16string(),
                                   found[i].owner});
    }
    first = end;
  }
}

const std::vector<NtfsNameEntry>* NtfsNameIndex::children(std::uint64_t folder) const {
  auto it = children_.find(folder);
  return it == children_.end() ? nullptr : &it->second;
}

const NtfsNameEntry* NtfsNameIndex::find(std::uint64_t folder, const std::u16string& name) const {
  auto it = byName_.find(folder);
  if (it == byName_.end()) return nullptr;
  auto at = it->second.find(foldNtfsName(name));
  return at == it->second.end() ? nullptr : &children_.at(folder)[at->second];
}

bool NtfsNameIndex::isFolder(std::uint64_t record) const {
  return record < folders_.size() && folders_[static_cast<std::size_t>(record)];
}

}  // namespace tarvosk
