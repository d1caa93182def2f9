#include "types/CanonRawType.h"

#include <algorithm>
#include <cstring>

#include "types/LookAhead.h"

namespace tarvosk {
namespace {

constexpr std::size_t kByteOrderOffset = 0;    // "II" little-endian, "MM" big-endian
constexpr std::size_t kHeapTypeOffset = 6;     // "HEAPCCDR"
constexpr std::uint64_t kHeaderBytes = 26;     // table offsets count from the header's end
constexpr std::uint64_t kTableEntryBytes = 10; // tag, size, offset
constexpr std::uint64_t kCountBytes = 2;       // entry count before the table's entries
constexpr std::uint64_t kTrailerBytes = 4;     // the table offset that ends the file
constexpr std::uint64_t kMinLengthBeforeTrailer = 1024;

std::uint32_t load32(ByteSpan b, std::size_t off, bool little) { return little ? le32(b, off) : be32(b, off); }

}  // namespace

void CCanonRawType::Reset() {
  results_.clear();
  file_.reset();
  carried_.fill(0);
}

void CCanonRawType::carry(const std::uint8_t* data, std::uint32_t unitSize) {
  if (unitSize >= kCarryBytes) {
    std::memcpy(carried_.data(), data + unitSize - kCarryBytes, kCarryBytes);
  } else {
    std::memmove(carried_.data(), carried_.data() + unitSize, kCarryBytes - unitSize);
    std::memcpy(carried_.data() + kCarryBytes - unitSize, data, unitSize);
  }
}

// Every position of the unit is a candidate trailer; a trailer whose bytes straddle the unit's end
// is read with the look-ahead. The entry count may lie in this unit or in the carried bytes.
std::uint64_t CCanonRawType::findTrailer(const std::uint8_t* data, std::uint32_t unitSize) const {
  const std::uint64_t counted = file_.length();
  if (counted < kMinLengthBeforeTrailer) return 0;
  const ByteSpan window = unitWithLookAhead(data, unitSize);
  const std::uint64_t carriedStart = counted - kCarryBytes;
  auto byteAt = [&](std::uint64_t filePos) -> std::uint8_t {
    if (filePos >= counted) return le8(window, static_cast<std::size_t>(filePos - counted));
    return carried_[static_cast<std::size_t>(filePos - carriedStart)];
  };
  for (std::uint32_t i = 0; i < unitSize; ++i) {
    const std::uint64_t candidateEnd = counted + i;
    const std::uint64_t countPos = static_cast<std::uint64_t>(load32(window, i, littleEndian_)) + kHeaderBytes;
    if (countPos < carriedStart || countPos > candidateEnd) continue;
    const std::uint8_t first = byteAt(countPos);
    const std::uint8_t second = byteAt(countPos + 1);
    const std::uint64_t count = littleEndian_ ? (first | (second << 8)) : ((first << 8) | second);
    if (countPos + kCountBytes + kTableEntryBytes * count == candidateEnd) return candidateEnd + kTrailerBytes;
  }
  return 0;
}

void CCanonRawType::Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) {
  if (data != nullptr && unitSize >= kHeapTypeOffset + 8 && hasBytesAt(unitOnly(data, unitSize), kHeapTypeOffset, "HEAPCCDR", 8)) {
    if (file_.isOpen()) file_.closeEarly(results_);
    file_.begin(unit);
    littleEndian_ = hasBytesAt(unitOnly(data, unitSize), kByteOrderOffset, "II", 2);
  }
  if (!file_.isOpen()) return;
  if (data == nullptr) {
    file_.markUnavailable();
  } else if (const std::uint64_t end = findTrailer(data, unitSize); end != 0) {
    file_.finish(results_, end);
    return;
  }
  if (file_.addUnit(results_, unitSize) && data != nullptr) carry(data, unitSize);
}

}  // namespace tarvosk
