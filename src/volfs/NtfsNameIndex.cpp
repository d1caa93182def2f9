#include "volfs/NtfsNameIndex.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <tuple>

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
  std::uint32_t order;  // place in reading order
  bool dos;
  std::u16string name;
};

std::size_t foldedHash(const std::u16string& name) { return std::hash<std::u16string>{}(foldNtfsName(name)); }

}  // namespace

void NtfsNameIndex::build(NtfsVolumeEntry& volume) {
  children_.clear();
  byName_.clear();
  std::uint64_t count = mftRecordCount(volume);
  folders_.assign(static_cast<std::size_t>(count), false);
  std::vector<BYTE> record(volume.recordSize);
  std::deque<FoundName> found;  // grows without copying what it holds
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
      found.push_back({owner, parent, static_cast<std::uint32_t>(found.size()), le8(value, kFnNamespace) == kFnNamespaceDos,
                       fileNameText(value)});
      return true;
    });
  }
  // Names by (owner, parent), so that each long name gets the DOS name beside it; records are
  // read in order, so the names of one owner (base and extension records) mostly lie together.
  std::sort(found.begin(), found.end(), [](const FoundName& a, const FoundName& b) {
    return std::tie(a.owner, a.parent, a.order) < std::tie(b.owner, b.parent, b.order);
  });
  // Each folder's lists are made as large as they will be, and the names gathered are let go
  // group by group, so that the build never holds much more than the index it makes.
  std::unordered_map<std::uint64_t, std::size_t> perFolder;
  for (const FoundName& f : found)
    if (!f.dos) ++perFolder[f.parent];
  for (const auto& [folder, names] : perFolder) {
    children_[folder].reserve(names);
    byName_[folder].reserve(names);
  }
  while (!found.empty()) {
    std::size_t end = 0;
    const std::u16string* dos = nullptr;
    std::size_t longNames = 0;
    for (; end < found.size() && found[end].owner == found[0].owner && found[end].parent == found[0].parent; ++end) {
      if (found[end].dos) dos = &found[end].name;
      else ++longNames;
    }
    std::uint64_t parent = found[0].parent;
    for (std::size_t i = 0; i < end; ++i) {
      if (found[i].dos) continue;
      auto& list = children_[parent];
      byName_[parent].push_back({foldedHash(found[i].name), list.size()});
      list.push_back(NtfsNameEntry{std::move(found[i].name), dos && longNames == 1 ? *dos : std::u16string(),
                                   found[i].owner});
    }
    found.erase(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(end));
  }
  for (auto& [folder, hashes] : byName_) std::sort(hashes.begin(), hashes.end());
}

const std::vector<NtfsNameEntry>* NtfsNameIndex::children(std::uint64_t folder) const {
  auto it = children_.find(folder);
  return it == children_.end() ? nullptr : &it->second;
}

const NtfsNameEntry* NtfsNameIndex::find(std::uint64_t folder, const std::u16string& name) const {
  auto it = byName_.find(folder);
  if (it == byName_.end()) return nullptr;
  std::u16string folded = foldNtfsName(name);
  std::size_t hash = std::hash<std::u16string>{}(folded);
  const std::vector<NtfsNameEntry>& names = children_.at(folder);
  // The first name of the folder that folds alike (entries of one hash are in name order).
  for (auto at = std::lower_bound(it->second.begin(), it->second.end(), std::pair<std::size_t, std::size_t>{hash, 0});
       at != it->second.end() && at->first == hash; ++at) {
    if (foldNtfsName(names[at->second].name) == folded) return &names[at->second];
  }
  return nullptr;
}

bool NtfsNameIndex::isFolder(std::uint64_t record) const {
  return record < folders_.size() && folders_[static_cast<std::size_t>(record)];
}

}  // namespace tarvosk
