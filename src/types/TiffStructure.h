// The true end of a TIFF file, found as its units arrive: every directory of the chain and the
// directories it points to (SubIFDs, EXIF, GPS, interoperability) is read, and the end is the
// furthest end of any directory, tag value, strip, tile or JPEG thumbnail. Everything is read
// in the unit that holds its first byte; a structure that points back to a unit already passed,
// into a unit without data or beyond the carving limit cannot be walked.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/ByteOrder.h"

namespace tarvosk {

class TiffStructure {
 public:
  enum class Walk : std::uint8_t { kGoingOn, kComplete, kBroken };
  // Bounds on what one file may hold.
  static constexpr std::size_t kMaxDirectories = 64;
  static constexpr std::uint16_t kMaxEntries = 255;
  static constexpr std::uint32_t kMaxPieceValues = 1u << 20;  // strip and tile offsets and counts of a file
  static constexpr std::size_t kMakePrefixBytes = 8;

  void begin(bool little, std::uint32_t firstDirectory);
  // Reads what lies in one unit whose first byte is at offset `counted` of the file. window is
  // the unit and its look-ahead, or empty for a unit without data.
  Walk feed(ByteSpan window, std::uint32_t unitSize, std::uint64_t counted);
  // The furthest end found; the file's length once the walk is complete.
  std::uint64_t end() const { return end_; }
  // How far the file reaches at least: the furthest end found or field still to be read.
  std::uint64_t knownExtent() const;
  // The first bytes of the Make text, once read.
  const std::optional<std::array<std::uint8_t, kMakePrefixBytes>>& makePrefix() const { return make_; }

 private:
  enum class Field : std::uint8_t { kEntryCount, kEntry, kLink, kPieceOffset, kPieceCount, kDirectoryOffset, kMake };
  // A run of equal fields still to be read, at file offsets at, at + size, ...
  struct Read {
    std::uint64_t at = 0;
    std::uint32_t remaining = 0;
    std::uint8_t size = 0;
    Field field = Field::kEntry;
    std::uint16_t directory = 0;  // index into directories_
    std::uint8_t set = 0;         // strips 0, tiles 1
    std::uint32_t index = 0;      // of the next element within its array
    bool operator>(const Read& other) const { return at > other.at; }
  };
  // Offsets and byte counts of one directory's strips or tiles, paired by index.
  struct Pieces {
    std::vector<std::uint32_t> offsets, counts;
    std::uint32_t offsetsLeft = 0, countsLeft = 0;
  };
  struct Directory {
    std::uint64_t offset = 0;
    std::uint16_t entries = 0;
    std::array<Pieces, 2> pieces;
    std::optional<std::uint32_t> thumbnailOffset, thumbnailLength;
  };

  bool schedule(const Read& read);
  bool addDirectory(std::uint64_t offset);
  bool reach(std::uint64_t end);
  bool readField(const Read& read, ByteSpan window, std::size_t off);
  bool readEntry(std::uint16_t directory, ByteSpan window, std::size_t off);
  bool scheduleValues(std::uint16_t directory, Field field, std::uint8_t set, std::uint32_t count,
                      std::uint8_t size, std::uint64_t valuesAt, ByteSpan window, std::size_t entry);
  bool readPiece(const Read& read, std::uint32_t value);
  bool allPiecesPaired() const;
  std::uint32_t load(ByteSpan b, std::size_t off, std::uint8_t size) const;

  bool little_ = true;
  bool broken_ = false;
  std::uint32_t pieceValues_ = 0;  // offsets and counts of strips and tiles kept so far
  std::uint64_t end_ = 0;
  std::vector<Read> reads_;  // a min-heap on `at`
  std::vector<Directory> directories_;
  std::optional<std::array<std::uint8_t, kMakePrefixBytes>> make_;
};

}  // namespace tarvosk
