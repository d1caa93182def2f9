// One 32-byte FAT directory slot: a short entry or a long-name fragment.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ByteOrder.h"

namespace tarvosk {

// Directory entry fields (byte offsets inside the 32-byte slot).
namespace fatdir {
constexpr std::size_t kSlotSize = 32;
constexpr std::size_t kBaseName = 0;         // 8 bytes, blank-padded
constexpr std::size_t kBaseNameLength = 8;
constexpr std::size_t kExtension = 8;        // 3 bytes, blank-padded
constexpr std::size_t kExtensionLength = 3;
constexpr std::size_t kNameLength = 11;
constexpr std::size_t kAttributes = 11;      // 8-bit
constexpr std::size_t kCaseFlags = 12;       // 8-bit: 0x08 base and 0x10 extension in lower case
constexpr std::size_t kStartClusterHigh = 20;  // 16-bit
constexpr std::size_t kTime = 22;            // 16-bit, modification time
constexpr std::size_t kDate = 24;            // 16-bit, modification date
constexpr std::size_t kStartClusterLow = 26; // 16-bit
constexpr std::size_t kFileSize = 28;        // 32-bit

// Long-name fragment: characters 1-5, 6-11 and 12-13, UTF-16 little-endian.
constexpr std::size_t kFragmentPart1 = 1;
constexpr std::size_t kFragmentPart1Chars = 5;
constexpr std::size_t kFragmentPart2 = 14;
constexpr std::size_t kFragmentPart2Chars = 6;
constexpr std::size_t kFragmentPart3 = 28;
constexpr std::size_t kFragmentPart3Chars = 2;
constexpr std::size_t kFragmentChars = 13;
constexpr std::size_t kFragmentSequence = 0;     // 8-bit: 1-20, 0x40 on the last part; 0xE5 once deleted
constexpr std::size_t kFragmentType = 12;        // 8-bit: 0 for a name part
constexpr std::size_t kFragmentChecksum = 13;    // 8-bit: shortNameChecksum of the short entry
constexpr std::size_t kFragmentFirstCluster = 26;  // 16-bit: always 0
constexpr std::uint8_t kLastFragmentFlag = 0x40;
constexpr std::uint8_t kMaxFragmentOrdinal = 20; // 20 parts of 13 hold the longest name (255)

constexpr std::uint8_t kEndOfDirectory = 0x00;
constexpr std::uint8_t kDeletedMark = 0xE5;
constexpr std::uint8_t kAttributeVolumeLabel = 0x08;
constexpr std::uint8_t kAttributeFolder = 0x10;
constexpr std::uint8_t kAttributeLongNameMask = 0x3F;
constexpr std::uint8_t kAttributeLongName = 0x0F;
constexpr std::uint8_t kAttributeUnused = 0xC0;  // no entry sets these bits
constexpr std::uint8_t kEscapedDeletedMark = 0x05;  // a live name's first byte 0xE5, as stored
constexpr char16_t kUnusedNameChar = 0xFFFF;  // fills a fragment after the name's terminator
}  // namespace fatdir

inline bool isLongNameFragment(ByteSpan slot) {
  return (le8(slot, fatdir::kAttributes) & fatdir::kAttributeLongNameMask) == fatdir::kAttributeLongName;
}

inline std::uint64_t startClusterOf(ByteSpan slot) {
  return static_cast<std::uint64_t>(le16(slot, fatdir::kStartClusterHigh)) * 65536 + le16(slot, fatdir::kStartClusterLow);
}

// The name of a short entry: the base cut at its first blank; for an entry that is not a folder
// a "." and the extension cut at its first blank (a trailing "." when it is empty). Each byte is
// widened to the UTF-16 character of the same code.
std::u16string shortEntryName(ByteSpan slot, bool folder);

// Copies a fragment's characters into thirteen places: parts of 5, 6 and 2 characters; a part
// that begins with the unused filler is skipped with all parts after it, and a part's copy stops
// before the filler. Places not copied keep what they held.
void copyFragmentCharacters(ByteSpan slot, char16_t (&chars)[fatdir::kFragmentChars]);

// Whether a byte is a character a short name may hold (0x80 and above, ASCII letters and digits,
// and blank $ % ' - _ @ ~ ` ! ( ) { } ^ # &).
bool isShortNameCharacter(std::uint8_t c);
// Whether the 11 name bytes are all such characters.
bool hasValidShortNameCharacters(ByteSpan slot);

// The checksum that the long-name fragments of a short entry carry: over its 11 name bytes as
// stored, each step a rotation right by one bit and an add.
std::uint8_t shortNameChecksum(ByteSpan slot);

}  // namespace tarvosk
