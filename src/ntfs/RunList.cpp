#include "ntfs/RunList.h"

#include <limits>

#include "log/Log.h"
#include "ntfs/Attribute.h"
#include "ntfs/NtfsLayout.h"

using namespace tarvosk;
using namespace tarvosk::ntfs;

namespace {

DWORD addressOf(ByteSpan bytes) { return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(bytes.data())); }

constexpr unsigned kMaxFieldBytes = 8;

enum class PairResult { Pair, End, Damaged };

// Reads the pair at pos: a header byte, then (header & 0x0F) length bytes and (header >> 4)
// offset bytes, all inside the list. pos advances past the pair.
PairResult nextPair(ByteSpan list, std::size_t& pos, std::uint64_t& length, std::int64_t& offset, bool& sparse) {
  if (pos >= list.size()) return PairResult::Damaged;  // no end marker inside the attribute
  std::uint8_t header = list[pos];
  if (header == 0) return PairResult::End;
  unsigned lengthBytes = header & 0x0F;
  unsigned offsetBytes = header >> 4;
  if (lengthBytes > kMaxFieldBytes || offsetBytes > kMaxFieldBytes || lengthBytes == 0) return PairResult::Damaged;
  if (!fitsIn(list.size(), pos + 1, lengthBytes + offsetBytes)) return PairResult::Damaged;
  length = 0;
  for (unsigned i = 0; i < lengthBytes; ++i) length |= static_cast<std::uint64_t>(list[pos + 1 + i]) << (8 * i);
  sparse = offsetBytes == 0;
  std::uint64_t raw = 0;
  for (unsigned i = 0; i < offsetBytes; ++i) raw |= static_cast<std::uint64_t>(list[pos + 1 + lengthBytes + i]) << (8 * i);
  if (offsetBytes > 0 && offsetBytes < 8 && (list[pos + lengthBytes + offsetBytes] & 0x80)) {
    raw |= ~0ull << (8 * offsetBytes);  // sign taken from the highest byte
  }
  offset = static_cast<std::int64_t>(raw);
  pos += 1 + lengthBytes + offsetBytes;
  return PairResult::Pair;
}

// The run list bytes of a non-resident attribute; empty when the offset lies outside it.
ByteSpan runListBytes(ByteSpan attribute) {
  if (attribute.size() < kAttrRunListOffset + 2) return {};
  std::size_t offset = le16(attribute, kAttrRunListOffset);
  if (offset >= attribute.size()) return {};
  return attribute.subspan(offset);
}

}  // namespace

DWORD GetRunCountFromAttr(ByteSpan attribute, DWORD* count) {
  if (count) *count = 0;
  LOG_Write(g_logNTFS, INFO, u"GetRunCountFromAttr(0x%x): RunListSize=%d", addressOf(attribute), 0);
  if (!attribute.data() || isResident(attribute)) {
    LOG_Write(g_logNTFS, ERROR, u"GetRunCountFromAttr(): attribute 0x%x is null or resident", addressOf(attribute));
    return LAYER_BAD_HANDLE;
  }
  if (std::uint16_t unit = le16(attribute, kAttrCompressionUnit); unit != 0) {
    LOG_Write(g_logNTFS, INFO, u"GetRunCountFromAttr(type=%d): attribute is compressed with unit=%d",
              le32(attribute, kAttrType), unit);
  }
  ByteSpan list = runListBytes(attribute);
  if (!list.data()) {
    LOG_Write(g_logNTFS, ERROR, u"GetRunCountFromAttr(0x%x): run list offset %d lies outside the attribute",
              addressOf(attribute), le16(attribute, kAttrRunListOffset));
    return LAYER_READ_FAILED;
  }
  std::size_t pos = 0;
  DWORD n = 0;
  // Each pair takes at least two bytes of the list, so the loop ends within its length.
  while (true) {
    std::uint64_t length = 0;
    std::int64_t offset = 0;
    bool sparse = false;
    PairResult r = nextPair(list, pos, length, offset, sparse);
    if (r == PairResult::End) break;
    if (r == PairResult::Damaged) {
      LOG_Write(g_logNTFS, ERROR, u"GetRunCountFromAttr(0x%x): run list is damaged at byte %d", addressOf(attribute),
                static_cast<DWORD>(pos));
      return LAYER_READ_FAILED;
    }
    ++n;
  }
  if (count) *count = n;
  LOG_Write(g_logNTFS, INFO, u"GetRunCountFromAttr(0x%x): returned %d", addressOf(attribute), n);
  return LAYER_SUCCESS;
}

DWORD GetRunListFromAttr(ByteSpan attribute, DWORD capacity, DWORD* count, Run* runs) {
  if (count) *count = 0;
  LOG_Write(g_logNTFS, INFO, u"GetRunListFromAttr(0x%x): RunListSize=%d", addressOf(attribute), capacity);
  if (!attribute.data() || isResident(attribute)) {
    LOG_Write(g_logNTFS, ERROR, u"GetRunListFromAttr(): attribute 0x%x is null or resident", addressOf(attribute));
    return LAYER_BAD_HANDLE;
  }
  ByteSpan list = runListBytes(attribute);
  if (!list.data()) {
    LOG_Write(g_logNTFS, ERROR, u"GetRunListFromAttr(0x%x): run list offset %d lies outside the attribute",
              addressOf(attribute), le16(attribute, kAttrRunListOffset));
    return LAYER_READ_FAILED;
  }
  std::size_t pos = 0;
  DWORD n = 0;
  std::int64_t previousStart = 0;
  bool havePrevious = false;
  while (true) {
    std::uint64_t length = 0;
    std::int64_t offset = 0;
    bool sparse = false;
    std::size_t at = pos;
    PairResult r = nextPair(list, pos, length, offset, sparse);
    if (r == PairResult::End) break;
    if (r == PairResult::Damaged) {
      LOG_Write(g_logNTFS, ERROR, u"GetRunListFromAttr(0x%x): run list is damaged at byte %d", addressOf(attribute),
                static_cast<DWORD>(at));
      if (count) *count = n;
      return LAYER_READ_FAILED;
    }
    if (n >= capacity) {
      if (count) *count = n;
      return LAYER_ARRAY_TOO_SMALL;
    }
    Run run;
    run.length = length;
    if (sparse) {
      run.offset = kSparseRun;
      run.startCluster = kSparseRun;
    } else {
      std::int64_t start = 0;
      if (havePrevious && __builtin_add_overflow(previousStart, offset, &start)) start = -1;
      if (!havePrevious) start = offset;
      if (start < 0) {
        LOG_Write(g_logNTFS, ERROR, u"GetRunListFromAttr(0x%x): run %d starts before cluster 0", addressOf(attribute), n);
        if (count) *count = n;
        return LAYER_READ_FAILED;
      }
      run.offset = offset;
      run.startCluster = start;
      previousStart = start;
      havePrevious = true;
    }
    if (runs) runs[n] = run;
    ++n;
  }
  if (count) *count = n;
  return LAYER_SUCCESS;
}

namespace tarvosk::ntfs {

DWORD decodeRunList(ByteSpan attribute, std::vector<Run>& runs) {
  runs.clear();
  DWORD count = 0;
  if (DWORD r = GetRunCountFromAttr(attribute, &count); r != LAYER_SUCCESS) return r;
  runs.resize(count);
  DWORD decoded = 0;
  DWORD r = GetRunListFromAttr(attribute, count, &decoded, runs.data());
  runs.resize(decoded);
  return r;
}

}  // namespace tarvosk::ntfs
