#include "types/TiffStructure.h"

#include <algorithm>
#include <functional>

#include "types/TypeFilter.h"

namespace tarvosk {
namespace {

constexpr std::uint64_t kHeaderBytes = 8;
constexpr std::uint8_t kCountBytes = 2;
constexpr std::uint8_t kEntryBytes = 12;
constexpr std::uint8_t kLinkBytes = 4;
constexpr std::size_t kEntryTypeOffset = 2;
constexpr std::size_t kEntryCountOffset = 4;
constexpr std::size_t kEntryValueOffset = 8;
constexpr std::uint64_t kInlineValueBytes = 4;

constexpr std::uint16_t kTagMake = 271;
constexpr std::uint16_t kTagStripOffsets = 273;
constexpr std::uint16_t kTagStripByteCounts = 279;
constexpr std::uint16_t kTagTileOffsets = 324;
constexpr std::uint16_t kTagTileByteCounts = 325;
constexpr std::uint16_t kTagSubIfds = 330;
constexpr std::uint16_t kTagJpegOffset = 513;
constexpr std::uint16_t kTagJpegLength = 514;
constexpr std::uint16_t kTagExifIfd = 34665;
constexpr std::uint16_t kTagGpsIfd = 34853;
constexpr std::uint16_t kTagInteroperabilityIfd = 40965;

constexpr std::uint8_t kStrips = 0;
constexpr std::uint8_t kTiles = 1;

// Bytes per value of a TIFF field type; 0 for a type this reader does not know.
std::uint8_t valueBytes(std::uint16_t type) {
  switch (type) {
    case 1: case 2: case 6: case 7: return 1;  // BYTE, ASCII, SBYTE, UNDEFINED
    case 3: case 8: return 2;                  // SHORT, SSHORT
    case 4: case 9: case 11: case 13: return 4;  // LONG, SLONG, FLOAT, IFD
    case 5: case 10: case 12: return 8;        // RATIONAL, SRATIONAL, DOUBLE
    default: return 0;
  }
}

}  // namespace

std::uint32_t TiffStructure::load(ByteSpan b, std::size_t off, std::uint8_t size) const {
  if (size == 2) return little_ ? le16(b, off) : be16(b, off);
  return little_ ? le32(b, off) : be32(b, off);
}

void TiffStructure::begin(bool little, std::uint32_t firstDirectory) {
  little_ = little;
  end_ = kHeaderBytes;
  pieceValues_ = 0;
  reads_.clear();
  directories_.clear();
  make_.reset();
  broken_ = !addDirectory(firstDirectory);
}

bool TiffStructure::schedule(const Read& read) {
  if (read.remaining == 0) return true;
  reads_.push_back(read);
  std::push_heap(reads_.begin(), reads_.end(), std::greater<>{});
  return true;
}

// A directory met twice is a loop; more than kMaxDirectories cannot be walked.
bool TiffStructure::addDirectory(std::uint64_t offset) {
  if (offset < kHeaderBytes || directories_.size() >= kMaxDirectories) return false;
  if (std::any_of(directories_.begin(), directories_.end(), [&](const Directory& d) { return d.offset == offset; }))
    return false;
  directories_.push_back({});
  directories_.back().offset = offset;
  Read count;
  count.at = offset;
  count.remaining = 1;
  count.size = kCountBytes;
  count.field = Field::kEntryCount;
  count.directory = static_cast<std::uint16_t>(directories_.size() - 1);
  return schedule(count);
}

bool TiffStructure::reach(std::uint64_t end) {
  if (end > kMaxCarvedFileLength) return false;
  end_ = std::max(end_, end);
  return true;
}

bool TiffStructure::scheduleValues(std::uint16_t directory, Field field, std::uint8_t set, std::uint32_t count,
                                   std::uint8_t size, std::uint64_t valuesAt, ByteSpan window, std::size_t entry) {
  if (field == Field::kPieceOffset || field == Field::kPieceCount) {
    if (size != 2 && size != 4) return false;
    if (count > kMaxPieceValues - pieceValues_) return false;
    pieceValues_ += count;
    Pieces& p = directories_[directory].pieces[set];
    std::vector<std::uint32_t>& values = field == Field::kPieceOffset ? p.offsets : p.counts;
    if (!values.empty()) return false;  // the same array twice in one directory
    values.assign(count, 0);
    (field == Field::kPieceOffset ? p.offsetsLeft : p.countsLeft) = count;
  } else if (size != 4) {
    return false;  // directory offsets are 32-bit
  }
  Read values;
  values.remaining = count;
  values.size = size;
  values.field = field;
  values.directory = directory;
  values.set = set;
  if (static_cast<std::uint64_t>(count) * size > kInlineValueBytes) {
    values.at = valuesAt;
    return schedule(values);
  }
  // Values that fit in the entry are read from it at once.
  for (std::size_t off = entry + kEntryValueOffset; values.remaining > 0; off += size, --values.remaining, ++values.index)
    if (!readField(values, window, off)) return false;
  return true;
}

bool TiffStructure::readEntry(std::uint16_t directory, ByteSpan window, std::size_t off) {
  const std::uint16_t tag = static_cast<std::uint16_t>(load(window, off, 2));
  const std::uint8_t size = valueBytes(static_cast<std::uint16_t>(load(window, off + kEntryTypeOffset, 2)));
  const std::uint32_t count = load(window, off + kEntryCountOffset, 4);
  if (size == 0) return true;  // a type we do not know: nothing to learn from it
  const std::uint64_t total = static_cast<std::uint64_t>(count) * size;
  const std::uint64_t valuesAt = load(window, off + kEntryValueOffset, 4);
  if (total > kInlineValueBytes && !reach(valuesAt + total)) return false;
  switch (tag) {
    case kTagStripOffsets: return scheduleValues(directory, Field::kPieceOffset, kStrips, count, size, valuesAt, window, off);
    case kTagStripByteCounts: return scheduleValues(directory, Field::kPieceCount, kStrips, count, size, valuesAt, window, off);
    case kTagTileOffsets: return scheduleValues(directory, Field::kPieceOffset, kTiles, count, size, valuesAt, window, off);
    case kTagTileByteCounts: return scheduleValues(directory, Field::kPieceCount, kTiles, count, size, valuesAt, window, off);
    case kTagSubIfds:
    case kTagExifIfd:
    case kTagGpsIfd:
    case kTagInteroperabilityIfd:
      return scheduleValues(directory, Field::kDirectoryOffset, 0, count, size, valuesAt, window, off);
    case kTagJpegOffset:
    case kTagJpegLength: {
      if (count != 1 || total > kInlineValueBytes) return true;
      Directory& d = directories_[directory];
      (tag == kTagJpegOffset ? d.thumbnailOffset : d.thumbnailLength) = load(window, off + kEntryValueOffset, size);
      if (d.thumbnailOffset && d.thumbnailLength)
        return reach(static_cast<std::uint64_t>(*d.thumbnailOffset) + *d.thumbnailLength);
      return true;
    }
    case kTagMake: {
      if (make_ || size != 1 || count == 0) return true;
      Read text;
      text.at = total > kInlineValueBytes ? valuesAt : 0;
      text.remaining = 1;
      text.size = static_cast<std::uint8_t>(std::min<std::uint64_t>(total, kMakePrefixBytes));
      text.field = Field::kMake;
      if (total > kInlineValueBytes) return schedule(text);
      return readField(text, window, off + kEntryValueOffset);
    }
    default:
      return true;
  }
}

bool TiffStructure::readPiece(const Read& read, std::uint32_t value) {
  Pieces& p = directories_[read.directory].pieces[read.set];
  const bool offset = read.field == Field::kPieceOffset;
  std::vector<std::uint32_t>& values = offset ? p.offsets : p.counts;
  if (read.index >= values.size()) return false;
  values[read.index] = value;
  std::uint32_t& left = offset ? p.offsetsLeft : p.countsLeft;
  --left;
  if (p.offsetsLeft != 0 || p.countsLeft != 0 || p.offsets.size() != p.counts.size()) return true;
  // Both arrays are complete: the furthest piece end counts, and the arrays are let go.
  for (std::size_t i = 0; i < p.offsets.size(); ++i)
    if (!reach(static_cast<std::uint64_t>(p.offsets[i]) + p.counts[i])) return false;
  p = Pieces{};
  return true;
}

bool TiffStructure::readField(const Read& read, ByteSpan window, std::size_t off) {
  switch (read.field) {
    case Field::kEntryCount: {
      const std::uint16_t entries = static_cast<std::uint16_t>(load(window, off, 2));
      if (entries > kMaxEntries) return false;
      directories_[read.directory].entries = entries;
      const std::uint64_t linkAt = read.at + kCountBytes + static_cast<std::uint64_t>(kEntryBytes) * entries;
      if (!reach(linkAt + kLinkBytes)) return false;
      Read fields;
      fields.directory = read.directory;
      fields.at = read.at + kCountBytes;
      fields.remaining = entries;
      fields.size = kEntryBytes;
      fields.field = Field::kEntry;
      schedule(fields);
      fields.at = linkAt;
      fields.remaining = 1;
      fields.size = kLinkBytes;
      fields.field = Field::kLink;
      return schedule(fields);
    }
    case Field::kEntry: return readEntry(read.directory, window, off);
    case Field::kLink:
    case Field::kDirectoryOffset: {
      const std::uint32_t next = load(window, off, 4);
      return next == 0 || addDirectory(next);
    }
    case Field::kPieceOffset:
    case Field::kPieceCount: return readPiece(read, load(window, off, read.size));
    case Field::kMake: {
      std::array<std::uint8_t, kMakePrefixBytes> prefix{};
      std::copy_n(window.begin() + static_cast<std::ptrdiff_t>(off), read.size, prefix.begin());
      make_ = prefix;
      return true;
    }
  }
  return false;
}

std::uint64_t TiffStructure::knownExtent() const {
  std::uint64_t extent = end_;
  for (const Read& read : reads_) extent = std::max(extent, read.at + static_cast<std::uint64_t>(read.remaining) * read.size);
  return extent;
}

bool TiffStructure::allPiecesPaired() const {
  for (const Directory& d : directories_)
    for (const Pieces& p : d.pieces)
      if (!p.offsets.empty() || !p.counts.empty()) return false;
  return true;
}

TiffStructure::Walk TiffStructure::feed(ByteSpan window, std::uint32_t unitSize, std::uint64_t counted) {
  const std::uint64_t unitEnd = counted + unitSize;
  while (!broken_ && !reads_.empty() && reads_.front().at < unitEnd) {
    std::pop_heap(reads_.begin(), reads_.end(), std::greater<>{});
    Read read = reads_.back();
    reads_.pop_back();
    // Behind the unit, or in a unit without data: out of reach.
    broken_ = read.at < counted || window.empty();
    for (; !broken_ && read.remaining > 0 && read.at < unitEnd; read.at += read.size, --read.remaining, ++read.index) {
      const auto off = static_cast<std::size_t>(read.at - counted);
      broken_ = !fitsIn(window.size(), off, read.size) || !readField(read, window, off);
    }
    if (!broken_) schedule(read);
  }
  if (broken_) return Walk::kBroken;
  if (!reads_.empty()) return Walk::kGoingOn;
  // Strips or tiles whose offsets and byte counts do not pair up leave the end unknown.
  broken_ = !allPiecesPaired();
  return broken_ ? Walk::kBroken : Walk::kComplete;
}

}  // namespace tarvosk
