#include "ntfs/MftRecord.h"

#include <algorithm>
#include <cstring>

#include "ntfs/NtfsLayout.h"

namespace tarvosk::ntfs {

bool hasFileSignature(ByteSpan record) {
  return record.size() >= 4 && std::memcmp(record.data() + kRecordSignature, "FILE", 4) == 0;
}

FixupResult applyFixups(std::span<std::uint8_t> record) {
  constexpr std::size_t stride = kUpdateSequenceStride;
  ByteSpan bytes(record.data(), record.size());
  if (record.size() < kRecordMinimumHeader) return FixupResult::BadArray;
  std::uint16_t arrayOffset = le16(bytes, kRecordUsaOffset);
  std::uint16_t count = le16(bytes, kRecordUsaCount);
  if (count == 1) return FixupResult::AlreadyApplied;
  // One entry for the sequence number plus one per stretch, all inside the first stretch.
  if (record.size() % stride != 0 || count != record.size() / stride + 1) return FixupResult::BadArray;
  if (!fitsIn(stride, arrayOffset, 2u * count)) return FixupResult::BadArray;
  std::uint16_t usn = le16(bytes, arrayOffset);
  for (std::size_t j = 1; j < count; ++j) {
    if (le16(bytes, j * stride - 2) != usn) return FixupResult::Mismatch;
  }
  for (std::size_t j = 1; j < count; ++j) {
    std::uint16_t saved = le16(bytes, arrayOffset + 2 * j);
    putLe16(record.data() + j * stride - 2, saved);
  }
  putLe16(record.data() + kRecordUsaCount, 1);
  return FixupResult::Applied;
}

const char16_t* mftRecordFault(ByteSpan record) {
  if (!hasFileSignature(record)) return u"no FILE signature";
  if (record.size() < kRecordMinimumHeader) return u"record shorter than its header";
  std::size_t pos = le16(record, kRecordFirstAttribute);
  if (pos < kRecordMinimumHeader || !fitsIn(record.size(), pos, 4)) return u"first attribute outside the record";
  // Each attribute is at least 8 bytes long, so the walk ends within record size / 8 steps.
  while (true) {
    if (!fitsIn(record.size(), pos, 4)) return u"no end marker inside the record";
    if (le32(record, pos + kAttrType) == kAttrEnd) return nullptr;
    if (!fitsIn(record.size(), pos, 8)) return u"attribute header outside the record";
    std::uint32_t length = le32(record, pos + kAttrLength);
    if (length == 0) return u"zero-length attribute";
    if (length % 8 != 0 || length < kAttrResidentHeader) return u"attribute length not a multiple of 8";
    if (!fitsIn(record.size(), pos, length)) return u"attribute runs past the end of the record";
    pos += length;
  }
}

}  // namespace tarvosk::ntfs
