// exFAT directory entries: the 32-byte entries of a directory, and the entry set of a file or
// folder (a file entry, its stream extension and its file name entries), live or deleted.
#pragma once

#include <cstdint>
#include <string>

#include "exfat/ExfatTimestamp.h"
#include "platform/ByteOrder.h"

namespace tarvosk {

namespace exfatdir {
constexpr std::size_t kEntrySize = 32;
constexpr std::size_t kEntryType = 0;  // 8-bit: bit 7 in use, bit 6 secondary, bits 0-5 the type

constexpr std::uint8_t kEndOfDirectory = 0x00;
constexpr std::uint8_t kInUse = 0x80;
constexpr std::uint8_t kAllocationBitmap = 0x81;
constexpr std::uint8_t kUpcaseTable = 0x82;
constexpr std::uint8_t kVolumeLabel = 0x83;
constexpr std::uint8_t kFile = 0x85;
constexpr std::uint8_t kStreamExtension = 0xC0;
constexpr std::uint8_t kFileName = 0xC1;
constexpr std::uint8_t kSecondary = 0x40;  // set in the type of every secondary entry

// File entry.
constexpr std::size_t kSecondaryCount = 1;           // 8-bit
constexpr std::size_t kSetChecksum = 2;              // 16-bit, over the whole set but itself
constexpr std::size_t kFileAttributes = 4;           // 16-bit
constexpr std::size_t kCreateTimestamp = 8;          // 32-bit
constexpr std::size_t kModifiedTimestamp = 12;
constexpr std::size_t kAccessedTimestamp = 16;
constexpr std::size_t kCreate10ms = 20;              // 8-bit, 0-199
constexpr std::size_t kModified10ms = 21;
constexpr std::size_t kCreateUtcOffset = 22;         // 8-bit, bit 7: the offset is valid
constexpr std::size_t kModifiedUtcOffset = 23;
constexpr std::size_t kAccessedUtcOffset = 24;

// Stream extension.
constexpr std::size_t kGeneralSecondaryFlags = 1;    // 8-bit: 0x01 allocation possible, 0x02 no FAT chain
constexpr std::size_t kNameLength = 3;               // 8-bit, characters
constexpr std::size_t kNameHash = 4;                 // 16-bit
constexpr std::size_t kValidDataLength = 8;          // 64-bit
constexpr std::size_t kFirstCluster = 20;            // 32-bit
constexpr std::size_t kDataLength = 24;              // 64-bit
constexpr std::uint8_t kNoFatChain = 0x02;

// File name entry: 15 UTF-16 characters from offset 2.
constexpr std::size_t kFileNameChars = 2;
constexpr std::size_t kCharsPerNameEntry = 15;

// Volume label entry: a count, then up to 11 UTF-16 characters.
constexpr std::size_t kLabelLength = 1;
constexpr std::size_t kLabelChars = 2;
constexpr std::size_t kMaxLabelChars = 11;

// Allocation bitmap and up-case table entries.
constexpr std::size_t kBitmapFlags = 1;              // 8-bit: bit 0, the bitmap of the second FAT
constexpr std::size_t kTableChecksum = 4;            // 32-bit (up-case table)
constexpr std::size_t kCriticalFirstCluster = 20;    // 32-bit
constexpr std::size_t kCriticalDataLength = 24;      // 64-bit

constexpr std::uint16_t kAttributeDirectory = 0x10;
constexpr std::size_t kMaxSecondaryCount = 18;       // a stream extension and 17 name entries
constexpr std::size_t kMaxNameLength = 255;
}  // namespace exfatdir

// Why a file entry does not begin a usable set.
enum class EntrySetProblem {
  None,
  PastTheEnd,         // the secondary count runs past the directory's data
  SecondaryCount,     // fewer than two secondary entries, or more than a name can need
  NoStreamExtension,  // the first secondary entry is not a stream extension of the same state
  ForeignEntry,       // an entry inside the set is a primary entry, or of the other in-use state
  BadNameLength,      // the name is empty, or its length needs more name entries than the set holds
};

const char16_t* entrySetProblemText(EntrySetProblem problem);

// One file's or folder's entry set, as decoded.
struct ExfatEntrySet {
  bool inUse = false;           // the file entry's in-use bit
  std::uint8_t secondaryCount = 0;
  std::uint16_t attributes = 0;
  ExfatTimestamp created, modified, accessed;
  std::uint8_t flags = 0;       // the stream extension's general secondary flags
  std::uint64_t validDataLength = 0;
  std::uint64_t dataLength = 0;
  std::uint32_t firstCluster = 0;
  std::u16string name;
  bool checksumMatches = false;  // computed with the in-use bits as a live set has them

  bool isFolder() const { return (attributes & exfatdir::kAttributeDirectory) != 0; }
  bool noFatChain() const { return (flags & exfatdir::kNoFatChain) != 0; }
  std::size_t entryCount() const { return std::size_t{secondaryCount} + 1; }
};

// Decodes the set whose file entry begins entries (live 0x85 or deleted 0x05). Every entry of a
// set shares the file entry's in-use state; other secondary entries (vendor extensions) are
// passed over; name characters stop at the name length.
EntrySetProblem parseEntrySet(ByteSpan entries, ExfatEntrySet& out);

// The set checksum over count entries, with the in-use bit of every entry type set (so that a
// deleted set is checked as it stood while it was live).
std::uint16_t entrySetChecksum(ByteSpan entries, std::size_t count);

// Whether the entry type begins a set: a file entry, in use or not.
inline bool isFileEntryType(std::uint8_t type) { return (type | exfatdir::kInUse) == exfatdir::kFile; }

}  // namespace tarvosk
