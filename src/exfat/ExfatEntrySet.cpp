#include "exfat/ExfatEntrySet.h"

#include <algorithm>

#include "exfat/ExfatChecksum.h"

namespace tarvosk {

namespace {

constexpr std::uint8_t kTypeBits = 0x7F;  // the type without its in-use bit
constexpr std::size_t kMinSecondaryCount = 2;

ExfatTimestamp timestampAt(ByteSpan entry, std::size_t stamp, std::size_t tenMs, std::size_t offset) {
  ExfatTimestamp t;
  t.stamp = le32(entry, stamp);
  t.tenMs = tenMs ? le8(entry, tenMs) : 0;
  t.utcOffset = le8(entry, offset);
  return t;
}

}  // namespace

const char16_t* entrySetProblemText(EntrySetProblem problem) {
  switch (problem) {
    case EntrySetProblem::None: return u"none";
    case EntrySetProblem::PastTheEnd: return u"the secondary count runs past the directory";
    case EntrySetProblem::SecondaryCount: return u"the secondary count is out of range";
    case EntrySetProblem::NoStreamExtension: return u"no stream extension follows the file entry";
    case EntrySetProblem::ForeignEntry: return u"an entry of the set belongs to another set";
    case EntrySetProblem::BadNameLength: return u"the name length does not fit the file name entries";
  }
  return u"";
}

std::uint16_t entrySetChecksum(ByteSpan entries, std::size_t count) {
  using namespace exfatdir;
  std::uint16_t checksum = 0;
  const std::size_t bytes = std::min(entries.size(), count * kEntrySize);
  for (std::size_t i = 0; i < bytes; ++i) {
    if (i == kSetChecksum || i == kSetChecksum + 1) continue;
    std::uint8_t byte = entries[i];
    if (i % kEntrySize == kEntryType) byte |= kInUse;
    checksum = exfatChecksumStep16(checksum, byte);
  }
  return checksum;
}

EntrySetProblem parseEntrySet(ByteSpan entries, ExfatEntrySet& out) {
  using namespace exfatdir;
  out = ExfatEntrySet{};
  const std::size_t available = entries.size() / kEntrySize;
  if (available < 1) return EntrySetProblem::PastTheEnd;
  const std::uint8_t state = le8(entries, kEntryType) & kInUse;
  out.inUse = state != 0;
  out.secondaryCount = le8(entries, kSecondaryCount);
  if (out.secondaryCount < kMinSecondaryCount || out.secondaryCount > kMaxSecondaryCount)
    return EntrySetProblem::SecondaryCount;
  if (out.entryCount() > available) return EntrySetProblem::PastTheEnd;
  out.attributes = le16(entries, kFileAttributes);
  out.created = timestampAt(entries, kCreateTimestamp, kCreate10ms, kCreateUtcOffset);
  out.modified = timestampAt(entries, kModifiedTimestamp, kModified10ms, kModifiedUtcOffset);
  out.accessed = timestampAt(entries, kAccessedTimestamp, 0, kAccessedUtcOffset);

  const ByteSpan stream = entries.subspan(kEntrySize, kEntrySize);
  if (le8(stream, kEntryType) != ((kStreamExtension & kTypeBits) | state)) return EntrySetProblem::NoStreamExtension;
  out.flags = le8(stream, kGeneralSecondaryFlags);
  const std::size_t nameLength = le8(stream, kNameLength);
  out.validDataLength = le64(stream, kValidDataLength);
  out.firstCluster = le32(stream, kFirstCluster);
  out.dataLength = le64(stream, kDataLength);

  std::u16string name;
  for (std::size_t i = 2; i < out.entryCount(); ++i) {
    const ByteSpan entry = entries.subspan(i * kEntrySize, kEntrySize);
    const std::uint8_t type = le8(entry, kEntryType);
    if ((type & kInUse) != state || !(type & kSecondary)) return EntrySetProblem::ForeignEntry;
    if ((type & kTypeBits) != (kFileName & kTypeBits)) continue;  // a vendor extension
    for (std::size_t c = 0; c < kCharsPerNameEntry && name.size() < nameLength; ++c)
      name.push_back(static_cast<char16_t>(le16(entry, kFileNameChars + 2 * c)));
  }
  // The name has the length its stream extension gives; a NUL inside it is no name either.
  if (nameLength == 0 || name.size() != nameLength || name.find(u'\0') != std::u16string::npos)
    return EntrySetProblem::BadNameLength;
  out.name = std::move(name);
  out.checksumMatches = entrySetChecksum(entries, out.entryCount()) == le16(entries, kSetChecksum);
  return EntrySetProblem::None;
}

}  // namespace tarvosk
