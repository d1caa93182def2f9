#include "volfs/NtfsNameIndex.h"

#include <algorithm>
#include <functional>

#include "ntfs/Attribute.h"
#include "ntfs/NtfsLayout.h"
#include "platform/CaseFolding.h"
#include "volfs/NtfsFolderIndex.h"

namespace tarvosk {

using namespace ntfs;

namespace {

constexpr unsigned kLowBits = 16;  // below a record number: a hash, or a place
constexpr std::uint64_t kLowMask = (1u << kLowBits) - 1;
// A folder's own index is read when it holds at most this much (some ten thousand names); a
// larger folder, and any once this many names of folders are kept, are answered from every
// record's names, read once.
constexpr std::uint64_t kMaxFolderIndexBytes = 1 << 20;
constexpr std::size_t kMaxKeptFolderLinks = 1 << 16;

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

void NtfsNameIndex::buildFromEveryRecord() {
  builtFromEveryRecord_ = true;
  folderLinks_.clear();
  keptFolderLinks_ = 0;
  links_.clear();
  std::uint64_t count = mftRecordCount(*volume_);
  std::vector<BYTE> record(volume_->recordSize);
  for (std::uint64_t number = 0; number < count; ++number) {
    DWORD r = __GetMFTRecord(*volume_, number, record);
    if (r == LAYER_NO_MORE) break;
    if (r != 0) continue;
    ByteSpan bytes(record.data(), record.size());
    if (!(le16(bytes, kRecordFlags) & kRecordInUse)) continue;
    std::uint64_t base = le64(bytes, kRecordBaseReference) & kRecordNumberMask;
    std::uint64_t owner = base != 0 ? base : number;
    if (owner < kFirstUserRecord && owner != kMftRecordRoot) continue;  // the system files
    forEachFileName(bytes, [&](ByteSpan value, std::uint64_t place) {
      std::uint64_t parent = parentOf(value);
      if (parent == owner) return;  // the root names itself
      if (isDosName(value)) return;  // read again beside its long name when asked for
      links_.push_back({parent << kLowBits | nameHash(fileNameText(value)), number << kLowBits | place});
    });
  }
  std::sort(links_.begin(), links_.end());
}

bool NtfsNameIndex::linksFromFolderIndex(std::uint64_t folder, std::vector<Link>& out) const {
  std::vector<BYTE> record(volume_->recordSize);
  std::vector<FolderIndexName> names;
  if (__GetMFTRecord(*volume_, folder, record) != 0 ||
      !readFolderIndexNames(*volume_, ByteSpan(record.data(), record.size()), kMaxFolderIndexBytes, names))
    return false;
  for (const FolderIndexName& indexed : names) {
    // Left out as every record's names leave them out: the root naming itself, the system files,
    // records that cannot be read or hold something else now (a stale entry).
    if (indexed.record == folder || (indexed.record < kFirstUserRecord && indexed.record != kMftRecordRoot)) continue;
    if (__GetMFTRecord(*volume_, indexed.record, record) != 0) continue;
    ByteSpan bytes(record.data(), record.size());
    if (!(le16(bytes, kRecordFlags) & kRecordInUse) || (le64(bytes, kRecordBaseReference) & kRecordNumberMask) != 0)
      continue;
    std::optional<std::uint64_t> place;
    forEachFileName(bytes, [&](ByteSpan value, std::uint64_t at) {
      if (!place && parentOf(value) == folder && !isDosName(value) && fileNameText(value) == indexed.name) place = at;
    });
    if (place) {
      out.push_back({folder << kLowBits | nameHash(indexed.name), indexed.record << kLowBits | *place});
      continue;
    }
    // The name lies in an extension record: only every record's names hold where.
    ByteSpan list;
    if (FindAttribute(bytes, _AH_TYPE_AL, &list) == LAYER_SUCCESS) return false;
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end(), [](const Link& a, const Link& b) { return !(a < b) && !(b < a); }),
            out.end());
  return true;
}

std::vector<NtfsNameIndex::Link> NtfsNameIndex::linksOf(std::uint64_t folder, std::uint16_t lowHash,
                                                       std::uint16_t highHash) {
  auto kept = folderLinks_.find(folder);
  if (!builtFromEveryRecord_ && kept == folderLinks_.end()) {
    std::vector<Link> links;
    if (linksFromFolderIndex(folder, links) && keptFolderLinks_ + links.size() <= kMaxKeptFolderLinks) {
      keptFolderLinks_ += links.size();
      kept = folderLinks_.emplace(folder, std::move(links)).first;
    } else {
      buildFromEveryRecord();
    }
  }
  const Link low{folder << kLowBits | lowHash, 0};
  const Link high{folder << kLowBits | highHash, UINT64_MAX};
  auto range = [&](const auto& sorted) {
    auto first = std::lower_bound(sorted.begin(), sorted.end(), low);
    return std::vector<Link>(first, std::upper_bound(first, sorted.end(), high));
  };
  return builtFromEveryRecord_ ? range(links_) : range(kept->second);
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

std::vector<NtfsNameEntry> NtfsNameIndex::children(std::uint64_t folder) {
  std::vector<Link> links = linksOf(folder, 0, static_cast<std::uint16_t>(kLowMask));
  std::sort(links.begin(), links.end(), [](const Link& a, const Link& b) { return a.holderAndPlace < b.holderAndPlace; });
  std::vector<NtfsNameEntry> out;
  for (const Link& link : links)
    if (std::optional<NtfsNameEntry> entry = nameOf(link)) out.push_back(std::move(*entry));
  return out;
}

std::optional<NtfsNameEntry> NtfsNameIndex::find(std::uint64_t folder, const std::u16string& name) {
  std::uint16_t hash = nameHash(name);
  // The first name of the folder that folds alike, in the order of the records.
  for (const Link& link : linksOf(folder, hash, hash)) {
    std::optional<NtfsNameEntry> entry = nameOf(link);
    if (entry && equalsIgnoreCase(entry->name, name)) return entry;
  }
  return std::nullopt;
}

bool NtfsNameIndex::isFolder(std::uint64_t record) const {
  std::vector<BYTE> bytes(volume_->recordSize);
  if (__GetMFTRecord(*volume_, record, bytes) != 0) return false;
  std::uint16_t flags = le16(bytes, kRecordFlags);
  return (flags & kRecordInUse) && (flags & kRecordIsFolder) &&
         (le64(bytes, kRecordBaseReference) & kRecordNumberMask) == 0;
}

}  // namespace tarvosk
