#include "volfs/NtfsNameIndex.h"

#include <map>
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

void NtfsNameIndex::build(NtfsVolumeEntry& volume) {
  children_.clear();
  byName_.clear();
  folders_.clear();
  std::uint64_t count = mftRecordCount(volume);
  std::vector<BYTE> record(volume.recordSize);
  // Long and DOS names by (owner, parent), so that each long name gets its DOS name.
  std::map<std::tuple<std::uint64_t, std::uint64_t>, std::vector<std::u16string>> longNames;
  std::map<std::tuple<std::uint64_t, std::uint64_t>, std::u16string> dosNames;
  for (std::uint64_t number = 0; number < count; ++number) {
    DWORD r = __GetMFTRecord(volume, number, record);
    if (r == 2) break;
    if (r != 0) continue;
    ByteSpan bytes(record.data(), record.size());
    std::uint16_t flags = le16(bytes, kRecordFlags);
    if (!(flags & kRecordInUse)) continue;
    std::uint64_t base = le64(bytes, kRecordBaseReference) & kRecordNumberMask;
    std::uint64_t owner = base != 0 ? base : number;
    if (base == 0) folders_[number] = (flags & kRecordIsFolder) != 0;
    if (owner < kFirstUserRecord && owner != kMftRecordRoot) continue;  // the system files
    forEachAttribute(bytes, [&](ByteSpan attr) {
      if (le32(attr, kAttrType) != kAttrFileName) return true;
      ByteSpan value = residentValue(attr);
      if (!fitsIn(value.size(), kFnName, 2u * le8(value, kFnNameLength))) return true;
      std::uint64_t parent = le64(value, kFnParentReference) & kRecordNumberMask;
      if (parent == owner) return true;  // the root names itself
      std::u16string name = fileNameText(value);
      if (le8(value, kFnNamespace) == kFnNamespaceDos) {
        dosNames[{owner, parent}] = name;
      } else {
        longNames[{owner, parent}].push_back(name);
      }
      return true;
    });
  }
  for (auto& [key, names] : longNames) {
    auto [owner, parent] = key;
    auto dos = dosNames.find(key);
    for (const std::u16string& name : names) {
      NtfsNameEntry entry{name, dos != dosNames.end() && names.size() == 1 ? dos->second : std::u16string(), owner};
      auto& list = children_[parent];
      byName_[parent].emplace(foldNtfsName(name), list.size());
      list.push_back(std::move(entry));
    }
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
  auto it = folders_.find(record);
  return it != folders_.end() && it->second;
}

}  // namespace tarvosk
