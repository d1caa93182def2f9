// Compound files (OLE structured storage) in the unit stream: the length is estimated from the
// allocation table and the writing application is told by text it leaves in the file.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "platform/ByteOrder.h"
#include "types/BoyerMoore.h"
#include "types/TypeFilter.h"

namespace tarvosk {

// What the header of a compound file says about the file's extent.
struct CompoundHeader {
  std::uint32_t sectorSize = 0;      // S = 2^shift
  std::uint32_t fatSectorCount = 0;  // n
  std::uint64_t lastFatOffset = 0;   // L: byte offset of the last FAT sector in the file
  std::uint64_t expectedLength = 0;  // E: the most the FAT can map, plus the header
};

// Reads the header at the start of header (at most its first 512 bytes are read; fields beyond
// the span read as 0). Null when the signature is missing or the header fails the checks (sector
// shift above 15, more than 109 FAT sectors, last FAT sector beyond the mapped length, a mapped
// length above the common limit).
std::optional<CompoundHeader> parseCompoundHeader(ByteSpan header);

class CCompoundDoc : public CParentTypeFilter {
 public:
  // Result lists, indexed by the subtype that the writing application's text gives.
  enum Subtype : std::uint8_t { kUnknown = 0, kWord = 1, kExcel = 2, kPowerPoint = 3, kPublisher = 4 };
  static constexpr std::size_t kListCount = 5;

  CCompoundDoc();
  void Reset() override;
  void Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) override;
  std::u16string_view GetExtension() const override { return u".stg"; }
  std::u16string_view GetName() const override { return u"无法识别的文档"; }
  std::u16string_view GetCategory() const override { return u"文档"; }

 private:
  void detectSubtype(ByteSpan unitBytes);
  void trimFatTail(ByteSpan unitBytes);

  std::array<BoyerMoore, 4> patterns_;  // for subtypes 1 to 4, in the order they are tried
  CarvedFile file_;
  std::uint32_t sectorSize_ = 0;
  std::uint64_t toLastFat_ = 0;  // L: from the current unit's start to the last FAT sector
  std::uint64_t expected_ = 0;   // E
  bool lastFatPassed_ = false;   // the unit holding the last FAT sector's start has been fed
  std::uint8_t subtype_ = kUnknown;
};

}  // namespace tarvosk
