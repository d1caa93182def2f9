#include "types/TiffType.h"

#include <algorithm>
#include <limits>

#include "settings/Settings.h"
#include "types/LookAhead.h"

namespace tarvosk {
namespace {

constexpr std::size_t kByteOrderOffset = 0;  // "II" little-endian, "MM" big-endian
constexpr std::size_t kVersionOffset = 2;    // 42 for TIFF; raw formats may use their own word
constexpr std::size_t kFirstIfdOffset = 4;   // 32-bit offset of the first IFD
constexpr std::size_t kHeaderBytes = 8;

constexpr std::size_t kIfdCountBytes = 2;
constexpr std::size_t kEntryBytes = 12;
constexpr std::size_t kEntryTagOffset = 0;    // 16-bit tag
constexpr std::size_t kEntryTypeOffset = 2;   // 16-bit value type
constexpr std::size_t kEntryCountOffset = 4;  // 32-bit value count
constexpr std::size_t kEntryValueOffset = 8;  // 32-bit value, or offset of the values
constexpr std::size_t kLinkBytes = 4;

constexpr std::uint16_t kTypeShort = 3;  // 16-bit values; every other type is read as 32-bit values
constexpr std::uint32_t kValueFieldBytes = 4;

constexpr std::uint16_t kTagMake = 271;
constexpr std::uint16_t kTagStripOffsets = 273;
constexpr std::uint16_t kTagStripByteCounts = 279;
constexpr std::uint16_t kTagSubIfds = 330;
constexpr std::uint16_t kTagJpegOffset = 513;
constexpr std::uint16_t kTagJpegLength = 514;

struct Maker {
  const char* prefix;
  std::size_t length;
  std::uint8_t subtype;
};
constexpr Maker kMakers[] = {
    {"Canon", 5, CTiffType::kCanon},
    {"Nikon", 5, CTiffType::kNikon},
    {"Olympus", 7, CTiffType::kOlympus},
    {"Kodak", 5, CTiffType::kKodak},
};

std::uint8_t foldAscii(std::uint8_t c) { return (c >= 'A' && c <= 'Z') ? static_cast<std::uint8_t>(c + 32) : c; }

bool startsWithNoCase(ByteSpan b, std::size_t off, const char* prefix, std::size_t len) {
  if (!fitsIn(b.size(), off, len)) return false;
  for (std::size_t i = 0; i < len; ++i)
    if (foldAscii(b[off + i]) != foldAscii(static_cast<std::uint8_t>(prefix[i]))) return false;
  return true;
}

std::int64_t minTiffFileSize() { return settings().MinTiffFileSize; }

// The version words of TIFF (42) and of the Olympus raw formats ("RO", "RS"), read either way.
constexpr std::uint16_t kWholeHeaderVersions[] = {42, 0x2A00, 0x4F52, 0x524F, 0x5352, 0x5253};

// A header that a file really begins with: a known version word and a first directory inside the
// carving limit.
bool wholeHeader(ByteSpan b) {
  const std::uint16_t version = le16(b, kVersionOffset);
  const std::uint32_t first = hasBytesAt(b, kByteOrderOffset, "II", 2) ? le32(b, kFirstIfdOffset) : be32(b, kFirstIfdOffset);
  return std::find(std::begin(kWholeHeaderVersions), std::end(kWholeHeaderVersions), version) != std::end(kWholeHeaderVersions) &&
         first >= kHeaderBytes && first <= kMaxCarvedFileLength;
}

}  // namespace

CTiffType::CTiffType() : CParentTypeFilter(kListCount) {}

void CTiffType::Reset() {
  clearResults();
  file_.reset();
  walking_ = false;
}

void CTiffType::report(std::uint64_t length, std::uint8_t chance) {
  if (walking_) {
    ruleReport_ = FoundFile{file_.startUnit(), length, chance};
    ruleSubtype_ = subtype_;
    file_.reset();
    return;
  }
  if (chance == kChancePoor)
    file_.closeEarly(lists_[subtype_], length);
  else
    file_.finish(lists_[subtype_], length);
}

void CTiffType::start(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) {
  if (walking_) giveUpWalk();  // the new file cuts the walked one short
  if (file_.isOpen() && static_cast<std::int64_t>(file_.length()) >= minTiffFileSize() && accepted())
    report(file_.length(), kChancePoor);
  file_.reset();
  const ByteSpan b = unitOnly(data, unitSize);
  file_.begin(unit);
  stripOffset_ = stripBytes_ = thumbnailOffset_ = thumbnailLength_ = 0;
  subIfdPending_ = false;
  subtype_ = kPlainTiff;
  little_ = hasBytesAt(b, kByteOrderOffset, "II", 2);
  version_ = load16(b, kVersionOffset);
  nextIfd_ = load32(b, kFirstIfdOffset);
  if (nextIfd_ > kMaxCarvedFileLength) file_.reset();
  walking_ = file_.isOpen() && settings().ExactLengths;
  if (!walking_) return;
  structure_.begin(little_, nextIfd_);
  walkedFile_.begin(unit);
  ruleReport_.reset();
}

void CTiffType::giveUpWalk() {
  walking_ = false;
  if (!file_.isOpen() && ruleReport_) {
    const FoundFile f = *ruleReport_;
    lists_[ruleSubtype_].push_back(f);
  }
  ruleReport_.reset();
}

void CTiffType::finishWalk() {
  walking_ = false;
  ruleReport_.reset();
  file_.reset();
  if (const auto& make = structure_.makePrefix()) {
    const ByteSpan text(make->data(), make->size());
    for (const Maker& maker : kMakers) {
      if (startsWithNoCase(text, 0, maker.prefix, maker.length)) {
        subtype_ = maker.subtype;
        break;
      }
    }
  }
  const std::uint64_t end = structure_.end();
  if (static_cast<std::int64_t>(end) >= minTiffFileSize() && accepted()) walkedFile_.finish(lists_[subtype_], end);
  else walkedFile_.reset();
}

void CTiffType::followStructure(const std::uint8_t* data, std::uint32_t unitSize) {
  const ByteSpan window = data ? unitWithLookAhead(data, unitSize) : ByteSpan{};
  const TiffStructure::Walk walk = structure_.feed(window, unitSize, walkedFile_.length());
  if (!data) walkedFile_.markUnavailable();
  walkedFile_.addUnit(lists_[subtype_], unitSize, std::numeric_limits<std::uint64_t>::max());
  if (walk == TiffStructure::Walk::kBroken || walkedFile_.length() > kMaxCarvedFileLength) giveUpWalk();
  else if (walk == TiffStructure::Walk::kComplete && walkedFile_.length() >= structure_.end()) finishWalk();
}

bool CTiffType::lastValue(ByteSpan window, std::size_t entry, std::uint32_t value, std::uint32_t count,
                          std::uint32_t elementBytes, std::uint32_t unitSize, std::uint32_t& last) const {
  if (count == 0) return false;
  const std::uint64_t bytes = static_cast<std::uint64_t>(elementBytes) * count;
  auto load = [&](std::size_t off) -> std::uint32_t { return elementBytes == 2 ? load16(window, off) : load32(window, off); };
  if (bytes <= kValueFieldBytes) {
    last = load(entry + kEntryValueOffset + bytes - elementBytes);
    return true;
  }
  const std::uint64_t counted = file_.length();
  const std::uint64_t end = static_cast<std::uint64_t>(value) + bytes;
  if (value < counted || end > counted + 2ull * unitSize) return false;
  last = load(static_cast<std::size_t>(end - elementBytes - counted));
  return true;
}

void CTiffType::readEntry(ByteSpan window, std::size_t entry, std::uint32_t unitSize, bool& pending) {
  const std::uint16_t tag = load16(window, entry + kEntryTagOffset);
  const std::uint32_t count = load32(window, entry + kEntryCountOffset);
  // 16-bit values (a strip count or offset of a small picture) are read as such, also when a
  // single one sits in the first half of the value field.
  const std::uint32_t elementBytes = load16(window, entry + kEntryTypeOffset) == kTypeShort ? 2 : 4;
  const std::uint32_t value = elementBytes == 2 && count == 1 ? load16(window, entry + kEntryValueOffset)
                                                              : load32(window, entry + kEntryValueOffset);
  const std::uint64_t counted = file_.length();
  switch (tag) {
    case kTagMake:
      if (value >= counted && value < counted + unitSize) {
        const auto off = static_cast<std::size_t>(value - counted);
        for (const Maker& maker : kMakers) {
          if (startsWithNoCase(window, off, maker.prefix, maker.length)) {
            subtype_ = maker.subtype;
            break;
          }
        }
      }
      break;
    case kTagStripOffsets:
      if (value > stripOffset_) {
        std::uint32_t offset = stripOffset_;
        lastValue(window, entry, value, count, elementBytes, unitSize, offset);
        if (offset != stripOffset_) {
          stripOffset_ = offset;
          pending = true;
        }
      }
      break;
    case kTagStripByteCounts:
      if (pending) {
        lastValue(window, entry, value, count, elementBytes, unitSize, stripBytes_);
      }
      pending = false;
      break;
    case kTagSubIfds:
      if (count == 1) {  // a single SubIFD offset is stored in the entry itself
        nextIfd_ = value;
        subIfdPending_ = true;
      } else if (count > 1 && count <= unitSize / 4 && value >= counted &&
                 static_cast<std::uint64_t>(value) + 4ull * count <= counted + unitSize) {
        nextIfd_ = load32(window, static_cast<std::size_t>(value - counted) + 4ull * (count - 1));
        subIfdPending_ = true;
      }
      break;
    case kTagJpegOffset:
      thumbnailOffset_ = value;
      break;
    case kTagJpegLength:
      thumbnailLength_ = value;
      break;
    default:
      break;
  }
}

CTiffType::Walk CTiffType::walkIfds(const std::uint8_t* data, std::uint32_t unitSize) {
  const ByteSpan window = unitWithLookAhead(data, unitSize);
  const std::uint64_t counted = file_.length();
  // Walked in the unit that holds the IFD's first byte; the count and the link may come from the
  // look-ahead, the entries only from the unit itself.
  for (int visits = 0; visits < kMaxIfdsPerUnit; ++visits) {
    if (nextIfd_ < counted || nextIfd_ >= counted + unitSize) break;
    const auto o = static_cast<std::size_t>(nextIfd_ - counted);
    const std::uint16_t entries = load16(window, o);
    if (entries > kMaxIfdEntries) {
      file_.reset();
      return Walk::kIdle;
    }
    bool pending = false;
    for (std::size_t k = 0; k < entries; ++k) {
      const std::size_t entry = o + kIfdCountBytes + kEntryBytes * k;
      if (entry + kEntryBytes >= unitSize) break;
      readEntry(window, entry, unitSize, pending);
    }
    if (subIfdPending_) {
      subIfdPending_ = false;
      continue;
    }
    const std::size_t linkAt = o + kIfdCountBytes + kEntryBytes * entries;
    // A link beyond the look-ahead cannot be followed: the chain ends there.
    const std::uint32_t link = fitsIn(window.size(), linkAt, kLinkBytes) ? load32(window, linkAt) : 0;
    if (link == 0) break;
    if (link <= nextIfd_) {
      if (accepted()) report(kMaxCarvedFileLength, kChancePoor);
      file_.reset();
      return Walk::kIdle;
    }
    nextIfd_ = link;
  }
  return Walk::kGoOn;
}

void CTiffType::Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) {
  if (data != nullptr && unitSize >= kHeaderBytes) {
    const ByteSpan b = unitOnly(data, unitSize);
    // With exact lengths, inside the reach of the walked file's structure only a whole header
    // starts a file: pixels often repeat a byte.
    const bool insideWalkedFile = walking_ && walkedFile_.length() < structure_.knownExtent();
    if ((hasBytesAt(b, kByteOrderOffset, "II", 2) || hasBytesAt(b, kByteOrderOffset, "MM", 2)) &&
        (!insideWalkedFile || wholeHeader(b)))
      start(unit, data, unitSize);
  }
  if (walking_) followStructure(data, unitSize);
  if (!file_.isOpen()) return;
  if (data == nullptr) {
    file_.markUnavailable();
  } else if (walkIfds(data, unitSize) == Walk::kIdle) {
    return;
  }

  std::uint64_t end = std::max(static_cast<std::uint64_t>(stripOffset_) + stripBytes_,
                               static_cast<std::uint64_t>(thumbnailOffset_) + thumbnailLength_);
  end = std::max<std::uint64_t>(end, nextIfd_);
  if (end == 0) {
    file_.reset();
    return;
  }
  file_.addUnit(lists_[subtype_], unitSize, std::numeric_limits<std::uint64_t>::max());
  const std::uint64_t counted = file_.length();
  if (counted <= end && counted <= kMaxCarvedFileLength) return;
  if (counted > kMaxCarvedFileLength) {
    if (accepted()) report(kMaxCarvedFileLength, kChancePoor);
  } else if (static_cast<std::int64_t>(end) >= minTiffFileSize() && accepted()) {
    report(end, file_.chance());
  }
  file_.reset();
}

}  // namespace tarvosk
