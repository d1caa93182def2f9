#include "volfs/NtfsNameIndex.h"

#include <algorithm>
#include <functional>

#include "ntfs/Attribute.h"
#include "ntfs/NtfsLayout.h"
#include "platform/CaseFolding.h"

namespace tarvosk {

using namespace ntfs;

namespace {

constexpr unsigned kLowBits = 16;  // below a record number: a hash, or a place
constexpr std::uint64_t kLowMask = (1u << kLowBits) - 1;

std::uint16_t nameHash(const std::u16string& name) {
  return static_cast<std::uint16_t>(std::hash<std::u16string>{}(folded(name)));
}

// The $FILE_NAME values of a record, with each one's place among them.
template <class Visit>
void forEachFileName(ByteSpan record, Visit visit) {
  std::uint64_t place = 0;
  forEachAttribute(record, [&](ByteSpan attr) {
    if (le32(attr, kAttrType) != kAttrFileName) return true;
    ByteSpan value = residentValue(attr);
    if (fitsIn(value.size(), kFnName, 2u * le8(value, kFnNameLength))) visit(value, place);
    ++place;
    return place <= kLowMask;
  });
}

std::uint64_t parentOf(ByteSpan fileName) { return le64(fileName, kFnParentReference) & kRecordNumberMask; }
bool isDosName(ByteSpan fileName) { return le8(fileName, kFnNamespace) == kFnNamespaceDos; }

}  // namespace

void NtfsNameIndex::build(NtfsVolumeEntry& volume) {
  volume_ = &volume;
  links_.clear();
  std::uint64_t count = mftRecordCount(volume);
  folders_.assign(static_cast<std::size_t>(count), false);
  std::vector<BYTE> record(volume.recordSize);
  for (std::uint64_t number = 0; number < count; ++number) {
    DWORD r = __GetMFTRecord(volume, number, record);
    if (r == LAYER_NO_MORE) break;
    if (r != 0) continue;
    ByteSpan bytes(record.data(), record.size());
    std::uint16_t flags = le16(bytes, kRecordFlags);
    if (!(flags & kRecordInUse)) continue;
    std::uint64_t base = le64(bytes, kRecordBaseReference) & kRecordNumberMask;
    std::uint64_t owner = base != 0 ? base : number;
    if (base == 0) folders_[static_cast<std::size_t>(number)] = (flags & kRecordIsFolder) != 0;
    if (owner < kFirstUserRecord && owner != kMftRecordRoot) continue;  // the system files
    forEachFileName(bytes, [&](ByteSpan value, std::uint64_t place) {
      std::uint64_t parent = parentOf(value);
      if (parent == owner) return;  // the root names itself
      if (isDosName(value)) return;  // read again beside its long name when asked for
      links_.push_back({parent << kLowBits | nameHash(fileNameText(value)), number << kLowBits | place});
    });
  }
  std::sort(links_.begin(), links_.end(), [](const Link& a, const Link& b) {
    return a.folderAndHash != b.folderAndHash ? a.folderAndHash < b.folderAndHash : a.holderAndPlace < b.holderAndPlace;
  });
}

std::pair<std::deque<NtfsNameIndex::Link>::const_iterator, std::deque<NtfsNameIndex::Link>::const_iterator>
NtfsNameIndex::linksOf(std::uint64_t folder, std::uint16_t lowHash, std::uint16_t highHash) const {
  auto first = std::lower_bound(links_.begin(), links_.end(), folder << kLowBits | lowHash,
                                [](const Link& l, std::uint64_t key) { return l.folderAndHash < key; });
  auto last = std::upper_bound(first, links_.end(), folder << kLowBits | highHash,
                               [](std::uint64_t key, const Link& l) { return key < l.folderAndHash; });
  return {first, last};
}

// The long name a link stands for, read again from its record, with the DOS name that the
// record gives the file in the same folder when the file has no other long name there.
std::optional<NtfsNameEntry> NtfsNameIndex::nameOf(const Link& link) const {
  std::uint64_t holder = link.holderAndPlace >> kLowBits;
  std::uint64_t wanted = link.holderAndPlace & kLowMask;
  std::uint64_t folder = link.folderAndHash >> kLowBits;
  std::vector<BYTE> record(volume_->recordSize);
  if (__GetMFTRecord(*volume_, holder, record) != 0) return std::nullopt;
  ByteSpan bytes(record.data(), record.size());
  std::uint64_t base = le64(bytes, kRecordBaseReference) & kRecordNumberMask;
  NtfsNameEntry entry;
  entry.record = base != 0 ? base : holder;
  bool found = false;
  std::u16string dos;
  int longNames = 0;
  forEachFileName(bytes, [&](ByteSpan value, std::uint64_t place) {
    if (parentOf(value) != folder) return;
    if (isDosName(value)) {
      dos = fileNameText(value);
      return;
    }
    ++longNames;
    if (place == wanted) {
      entry.name = fileNameText(value);
      found = true;
    }
  });
  if (!found) return std::nullopt;
  if (longNames == 1) entry.shortName = std::move(dos);
  return entry;
}

std::vector<NtfsNameEntry> NtfsNameIndex::children(std::uint64_t folder) const {
  auto [first, last] = linksOf(folder, 0, static_cast<std::uint16_t>(kLowMask));
  std::vector<Link> links(first, last);
  std::sort(links.begin(), links.end(), [](const Link& a, const Link& b) { return a.holderAndPlace < b.holderAndPlace; });
  std::vector<NtfsNameEntry> out;
  for (const Link& link : links)
    if (std::optional<NtfsNameEntry> entry = nameOf(link)) out.push_back(std::move(*entry));
  return out;
}

std::optional<NtfsNameEntry> NtfsNameIndex::find(std::uint64_t folder, const std::u16string& name) const {
  std::uint16_t hash = nameHash(name);
  // The first name of the folder that folds alike, in the order of the records.
  auto [first, last] = linksOf(folder, hash, hash);
  for (auto it = first; it != last; ++it) {
    std::optional<NtfsNameEntry> entry = nameOf(*it);
    if (entry && equalsIgnoreCase(entry->name, name)) return entry;
  }
  return std::nullopt;
}

bool NtfsNameIndex::isFolder(std::uint64_t record) const {
  return record < folders_.size() && folders_[static_cast<std::size_t>(record)];
}

}  // namespace tarvosk
