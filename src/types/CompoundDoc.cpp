#include "types/CompoundDoc.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>

#include "types/LookAhead.h"

namespace tarvosk {
namespace {

// Header fields, offsets from the start of the file.
constexpr std::size_t kSignatureOffset = 0x00;    // 8 bytes D0 CF 11 E0 A1 B1 1A E1
constexpr std::size_t kSectorShiftOffset = 0x1E;  // 16-bit: sector size is 2^shift
constexpr std::size_t kFatCountOffset = 0x2C;     // 32-bit: number of FAT sectors
constexpr std::size_t kDifatOffset = 0x4C;        // 109 x 32-bit: FAT sector numbers
constexpr std::size_t kDifatEntrySize = 4;
constexpr std::size_t kHeaderSize = 512;  // sector k of the file starts at 512 + k * S

constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint32_t kMaxSectorShift = 15;
constexpr std::uint32_t kMaxHeaderFatSectors = 109;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::size_t kFatEntrySize = 4;

ByteSpan asciiBytes(std::string_view text) {
  return ByteSpan(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

}  // namespace

std::optional<CompoundHeader> parseCompoundHeader(ByteSpan header) {
  header = header.first(std::min(header.size(), kHeaderSize));
  if (!fitsIn(header.size(), kSignatureOffset, sizeof kSignature) ||
      std::memcmp(header.data() + kSignatureOffset, kSignature, sizeof kSignature) != 0)
    return std::nullopt;
  const std::uint32_t shift = le16(header, kSectorShiftOffset);
  const std::uint32_t n = le32(header, kFatCountOffset);
  if (shift > kMaxSectorShift || n > kMaxHeaderFatSectors) return std::nullopt;

  CompoundHeader h;
  h.sectorSize = std::uint32_t{1} << shift;
  h.fatSectorCount = n;
  // Entry n - 1 of the header's table; for n = 0 that is the 32-bit field just before it.
  const std::size_t lastEntry = kDifatOffset + kDifatEntrySize * n - kDifatEntrySize;
  const std::uint64_t s = h.sectorSize;
  h.lastFatOffset = s * le32(header, lastEntry) + kHeaderSize;
  h.expectedLength = s * s * n / kFatEntrySize + kHeaderSize;
  if (h.lastFatOffset > h.expectedLength || h.expectedLength > kMaxCarvedFileLength) return std::nullopt;
  return h;
}

CCompoundDoc::CCompoundDoc()
    : CParentTypeFilter(kListCount),
      patterns_{BoyerMoore(asciiBytes("MSWord"), true), BoyerMoore(asciiBytes("Excel"), true),
                BoyerMoore(asciiBytes("PowerPoint"), true), BoyerMoore(asciiBytes("Microsoft Publisher"), true)} {}

void CCompoundDoc::Reset() {
  clearResults();
  file_.reset();
  sectorSize_ = 0;
  toLastFat_ = 0;
  expected_ = 0;
  lastFatPassed_ = false;
  subtype_ = kUnknown;
}

void CCompoundDoc::Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) {
  if (data) {
    const ByteSpan readable(data, readableBytes(unitSize));
    if (fitsIn(readable.size(), kSignatureOffset, sizeof kSignature) &&
        std::memcmp(data + kSignatureOffset, kSignature, sizeof kSignature) == 0) {
      if (file_.isOpen()) file_.closeEarly(lists_[subtype_], expected_);
      if (auto header = parseCompoundHeader(readable)) {
        file_.begin(unit);
        sectorSize_ = header->sectorSize;
        toLastFat_ = header->lastFatOffset;
        expected_ = header->expectedLength;
        lastFatPassed_ = false;
        subtype_ = kUnknown;
      }
    }
  }
  if (!file_.isOpen()) return;

  const ByteSpan unitBytes = data ? ByteSpan(data, unitSize) : ByteSpan();
  if (!data)
    file_.markUnavailable();
  else if (subtype_ == kUnknown)
    detectSubtype(unitBytes);

  // The expected length (never above the common limit) ends the document, not the unit count.
  file_.addUnit(lists_[subtype_], unitSize, std::numeric_limits<std::uint64_t>::max());

  if (!lastFatPassed_) {
    if (toLastFat_ >= unitSize) {
      toLastFat_ -= unitSize;
    } else {
      lastFatPassed_ = true;
      if (data) trimFatTail(unitBytes);
    }
  }
  if (file_.length() >= expected_) file_.finish(lists_[subtype_], expected_);
}

void CCompoundDoc::detectSubtype(ByteSpan unitBytes) {
  for (std::size_t i = 0; i < patterns_.size(); ++i) {
    if (patterns_[i].find(unitBytes) != BoyerMoore::npos) {
      subtype_ = static_cast<std::uint8_t>(i + 1);
      return;
    }
  }
}

// The last FAT sector begins at offset L of this unit. Free entries at its end stand for sectors
// that the document does not hold; only entries inside this unit are looked at.
void CCompoundDoc::trimFatTail(ByteSpan unitBytes) {
  std::int64_t q = static_cast<std::int64_t>(toLastFat_) + sectorSize_ - static_cast<std::int64_t>(kFatEntrySize);
  const auto unitSize = static_cast<std::int64_t>(unitBytes.size());
  while (q > 0 && q + static_cast<std::int64_t>(kFatEntrySize) <= unitSize &&
         le32(unitBytes, static_cast<std::size_t>(q)) == kFreeSector && expected_ > sectorSize_) {
    expected_ -= sectorSize_;
    q -= static_cast<std::int64_t>(kFatEntrySize);
  }
}

}  // namespace tarvosk
