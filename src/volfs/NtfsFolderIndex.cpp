#include "volfs/NtfsFolderIndex.h"

#include <cstring>
#include <span>

#include "ntfs/Attribute.h"
#include "ntfs/MftRecord.h"
#include "ntfs/NtfsLayout.h"
#include "platform/WinError.h"
#include "volfs/NtfsDataStream.h"

namespace tarvosk {

using namespace ntfs;

namespace {

// The attribute of that type named "$I30": the index of a folder's names.
ByteSpan findNameIndexAttribute(ByteSpan record, std::uint32_t type) {
  ByteSpan found;
  forEachAttribute(record, [&](ByteSpan attr) {
    if (le32(attr, kAttrType) != type || attributeName(attr) != u"$I30") return true;
    found = attr;
    return false;
  });
  return found;
}

// The entries of the node whose header lies at node, up to the one marked last. False when an
// entry or its key does not lie inside the node's entries.
bool takeNodeEntries(ByteSpan bytes, std::size_t node, std::vector<FolderIndexName>& out) {
  if (!fitsIn(bytes.size(), node, kNodeHeaderSize)) return false;
  std::uint64_t pos = node + std::uint64_t{le32(bytes, node + kNodeFirstEntry)};
  std::uint64_t end = node + std::uint64_t{le32(bytes, node + kNodeEntriesEnd)};
  if (end > bytes.size()) return false;
  while (pos + kIeKey <= end) {
    std::size_t at = static_cast<std::size_t>(pos);
    std::uint16_t length = le16(bytes, at + kIeLength);
    if (length < kIeKey || length % 8 != 0 || pos + length > end) return false;
    if (le16(bytes, at + kIeFlags) & kIeFlagLast) return true;
    std::uint16_t keyLength = le16(bytes, at + kIeKeyLength);
    if (kIeKey + std::size_t{keyLength} > length) return false;
    ByteSpan key = bytes.subspan(at + kIeKey, keyLength);
    if (!fitsIn(key.size(), kFnName, 2u * le8(key, kFnNameLength))) return false;
    if (le8(key, kFnNamespace) != kFnNamespaceDos)
      out.push_back({recordNumberOf(le64(bytes, at + kIeFileReference)), fileNameText(key)});
    pos += length;
  }
  return true;
}

// A non-resident attribute's value read whole, or a resident one's value.
bool valueOf(NtfsVolumeEntry& volume, ByteSpan attribute, std::uint64_t maxBytes, std::vector<BYTE>& out) {
  if (!isResident(attribute)) return readWholeValue(volume, attribute, maxBytes, out) == ERROR_SUCCESS;
  ByteSpan value = residentValue(attribute);
  out.assign(value.begin(), value.end());
  return true;
}

}  // namespace

bool readFolderIndexNames(NtfsVolumeEntry& volume, ByteSpan folderRecord, std::uint64_t maxBytes,
                          std::vector<FolderIndexName>& out) {
  out.clear();
  // Parts of the index may lie in extension records, which only every record's names cover.
  ByteSpan list;
  if (FindAttribute(folderRecord, _AH_TYPE_AL, &list) == LAYER_SUCCESS) return false;
  ByteSpan rootAttribute = findNameIndexAttribute(folderRecord, kAttrIndexRoot);
  if (!rootAttribute.data() || !isResident(rootAttribute)) return false;
  ByteSpan root = residentValue(rootAttribute);
  if (!takeNodeEntries(root, kIrNode, out)) return false;
  ByteSpan allocation = findNameIndexAttribute(folderRecord, kAttrIndexAllocation);
  // A small folder: every name lies in the root, which then says it has no blocks below it.
  if (!allocation.data()) return (le8(root, kIrNode + kNodeFlags) & kNodeHasBlocks) == 0;
  ByteSpan bitmapAttribute = findNameIndexAttribute(folderRecord, kAttrBitmap);
  std::uint32_t blockSize = le32(root, kIrBlockSize);
  std::vector<BYTE> blocks, inUse;
  if (!bitmapAttribute.data() || blockSize < kUpdateSequenceStride || blockSize % kUpdateSequenceStride != 0 ||
      isResident(allocation) || !valueOf(volume, allocation, maxBytes, blocks) ||
      !valueOf(volume, bitmapAttribute, maxBytes, inUse))
    return false;
  for (std::size_t b = 0; b < blocks.size() / blockSize; ++b) {
    if (b / 8 >= inUse.size() || ((inUse[b / 8] >> (b % 8)) & 1) == 0) continue;  // a free block holds stale names
    std::span<BYTE> block(blocks.data() + b * blockSize, blockSize);
    if (std::memcmp(block.data(), "INDX", 4) != 0) return false;
    FixupResult fixed = applyFixups(block);
    if (fixed == FixupResult::Mismatch || fixed == FixupResult::BadArray) return false;
    if (!takeNodeEntries(ByteSpan(block.data(), block.size()), kIbNode, out)) return false;
  }
  return true;
}

}  // namespace tarvosk
