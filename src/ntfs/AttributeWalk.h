// The bounded walk over a record's attributes that every attribute look-up uses.
#pragma once

#include "ntfs/NtfsLayout.h"
#include "platform/ByteOrder.h"

namespace tarvosk::ntfs {

template <class Visit>
void forEachAttribute(ByteSpan record, Visit visit) {
  std::size_t pos = le16(record, kRecordFirstAttribute);
  if (pos < kRecordMinimumHeader) return;
  // Every step advances by at least 8 bytes inside the record, so the walk is bounded.
  while (fitsIn(record.size(), pos, 8)) {
    if (le32(record, pos + kAttrType) == kAttrEnd) return;
    std::uint32_t length = le32(record, pos + kAttrLength);
    if (length < 8 || !fitsIn(record.size(), pos, length)) return;
    if (!visit(record.subspan(pos, length))) return;
    pos += length;
  }
}

}  // namespace tarvosk::ntfs
