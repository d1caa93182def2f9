// TIFF pictures and the TIFF-based camera raw formats: found by the "II" or "MM" byte-order mark;
// the IFD chain is walked to the largest strip, the JPEG thumbnail or the last IFD, and the Make
// tag sorts each find into its maker's list. With exact lengths on, the whole structure is walked
// beside that rule (TiffStructure) and gives the length; a file whose structure cannot be walked
// is reported as the rule decides.
#pragma once

#include <optional>

#include "platform/ByteOrder.h"
#include "types/TiffStructure.h"
#include "types/TypeFilter.h"

namespace tarvosk {

class CTiffType : public CParentTypeFilter {
 public:
  // Result lists: 0 TIFF, then one per recognised maker; the last one stays empty.
  enum Subtype : std::uint8_t { kPlainTiff = 0, kCanon = 1, kNikon = 2, kOlympus = 3, kKodak = 4, kUnused = 5 };
  static constexpr std::size_t kListCount = 6;
  static constexpr std::uint16_t kMaxIfdEntries = 255;
  // IFDs visited in one unit before the walk gives up for that unit (SubIFD links may point back).
  static constexpr int kMaxIfdsPerUnit = 64;

  CTiffType();
  void Reset() override;
  void Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) override;
  std::u16string_view GetExtension() const override { return u".tif"; }
  std::u16string_view GetName() const override { return u"Tiff 图像"; }
  std::u16string_view GetCategory() const override { return u"图像和数码相机"; }

 private:
  enum class Walk { kGoOn, kIdle };
  void start(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize);
  Walk walkIfds(const std::uint8_t* data, std::uint32_t unitSize);
  void readEntry(ByteSpan window, std::size_t entry, std::uint32_t unitSize, bool& pending);
  // The last of an entry's count values of the element size: in the entry itself when they fit
  // in its 4 value bytes, otherwise in the array at value, when that array lies between the
  // length counted and one unit after the fed unit.
  bool lastValue(ByteSpan window, std::size_t entry, std::uint32_t value, std::uint32_t count, std::uint32_t elementBytes,
                 std::uint32_t unitSize, std::uint32_t& last) const;
  bool accepted() const { return subtype_ != kPlainTiff || version_ == kTiffVersion; }
  // Reports the open file into its maker's list, or, while its structure is being walked, keeps
  // the report for the case that the walk fails.
  void report(std::uint64_t length, std::uint8_t chance);
  // The exact walk of the open file through one unit; it ends the file when its end is reached.
  void followStructure(const std::uint8_t* data, std::uint32_t unitSize);
  // The structure cannot be walked: the rule's report stands.
  void giveUpWalk();
  void finishWalk();
  std::uint16_t load16(ByteSpan b, std::size_t off) const { return little_ ? le16(b, off) : be16(b, off); }
  std::uint32_t load32(ByteSpan b, std::size_t off) const { return little_ ? le32(b, off) : be32(b, off); }

  static constexpr std::uint16_t kTiffVersion = 42;

  CarvedFile file_;
  bool little_ = true;
  std::uint16_t version_ = 0;
  std::uint32_t nextIfd_ = 0;  // relative to the file's start
  bool subIfdPending_ = false;
  std::uint32_t stripOffset_ = 0;
  std::uint32_t stripBytes_ = 0;
  std::uint32_t thumbnailOffset_ = 0;
  std::uint32_t thumbnailLength_ = 0;
  std::uint8_t subtype_ = kPlainTiff;

  // With exact lengths.
  bool walking_ = false;
  TiffStructure structure_;
  CarvedFile walkedFile_;  // counts the units of the walked file, which the rule may have left
  std::optional<FoundFile> ruleReport_;
  std::uint8_t ruleSubtype_ = kPlainTiff;
};

}  // namespace tarvosk
