#include "fat/FolderContinuation.h"

#include <algorithm>

#include "fat/DirectoryEntry.h"
#include "fat/FatEntry.h"

namespace tarvosk {

namespace {

using namespace fatdir;

ByteSpan slotOf(ByteSpan cluster, std::size_t index) { return cluster.subspan(index * kSlotSize, kSlotSize); }

// "." (dots 1) or ".." (dots 2), blank-padded to 11 bytes.
bool isDotName(ByteSpan slot, std::size_t dots) {
  for (std::size_t i = 0; i < kNameLength; ++i)
    if (slot[i] != (i < dots ? '.' : ' ')) return false;
  return true;
}

bool isPlausibleFragment(ByteSpan slot) {
  const std::uint8_t sequence = slot[kFragmentSequence];
  const std::uint8_t ordinal = sequence & static_cast<std::uint8_t>(~kLastFragmentFlag);
  const bool sequenceFits = sequence == kDeletedMark || (ordinal >= 1 && ordinal <= kMaxFragmentOrdinal);
  return sequenceFits && slot[kFragmentType] == 0 && le16(slot, kFragmentFirstCluster) == 0;
}

ContinuationVerdict judgeShortEntry(ByteSpan slot, const FolderVolumeExtent& volume) {
  if (!hasValidShortNameCharacters(slot)) return ContinuationVerdict::BadName;
  const std::uint8_t attributes = slot[kAttributes];
  // A volume label lives in the root only.
  if (attributes & kAttributeVolumeLabel) return ContinuationVerdict::BadAttributes;
  const std::uint64_t start = startClusterOf(slot);
  const bool inVolume = start >= kFirstDataCluster && start - kFirstDataCluster < volume.clusterCount;
  // An empty file has no cluster; a folder always has one.
  const bool folder = (attributes & kAttributeFolder) != 0;
  if (!inVolume && (folder || start != 0)) return ContinuationVerdict::BadStartCluster;
  if (le32(slot, kFileSize) > volume.clusterCount * volume.clusterSize) return ContinuationVerdict::BadSize;
  return ContinuationVerdict::Continues;
}

// Whether fragments carrying checksum belong to this short entry. Deleting an entry overwrote
// its first name byte, so a deleted one fits when the byte that would give the checksum is one a
// short name may begin with (each step of the checksum can be undone, so that byte is unique).
bool checksumFits(ByteSpan slot, std::uint8_t checksum) {
  if (slot[0] != kDeletedMark) return shortNameChecksum(slot) == checksum;
  std::uint8_t sum = checksum;
  for (std::size_t i = kNameLength - 1; i >= 1; --i) {
    sum = static_cast<std::uint8_t>(sum - slot[i]);
    sum = static_cast<std::uint8_t>((sum << 1) | (sum >> 7));
  }
  return sum != kDeletedMark && (isShortNameCharacter(sum) || sum == kEscapedDeletedMark);
}

}  // namespace

ContinuationJudgement judgeFolderContinuation(ByteSpan previous, ByteSpan candidate, const FolderVolumeExtent& volume) {
  using V = ContinuationVerdict;
  const std::size_t slots = candidate.size() / kSlotSize;
  if (slots == 0 || candidate[0] == kEndOfDirectory) return {V::Empty, 0};
  if (slots >= 2 && isDotName(slotOf(candidate, 0), 1) && isDotName(slotOf(candidate, 1), 2))
    return {V::AnotherFolder, 0};
  // The run of fragments under way and its checksum; it may have begun at the end of previous.
  bool inRun = false;
  std::uint8_t runChecksum = 0;
  const std::size_t previousSlots = previous.size() / kSlotSize;
  if (previousSlots > 0 && isLongNameFragment(slotOf(previous, previousSlots - 1))) {
    inRun = true;
    runChecksum = slotOf(previous, previousSlots - 1)[kFragmentChecksum];
  }
  for (std::size_t i = 0; i < slots; ++i) {
    const ByteSpan slot = slotOf(candidate, i);
    if (slot[0] == kEndOfDirectory) break;
    if (slot[kAttributes] & kAttributeUnused) return {V::BadAttributes, i};
    if (isLongNameFragment(slot)) {
      if (!isPlausibleFragment(slot)) return {V::BadFragment, i};
      if (inRun && runChecksum != slot[kFragmentChecksum]) return {V::ChecksumMismatch, i};
      inRun = true;
      runChecksum = slot[kFragmentChecksum];
      continue;
    }
    const V verdict = judgeShortEntry(slot, volume);
    if (verdict != V::Continues) return {verdict, i};
    if (inRun && !checksumFits(slot, runChecksum)) return {V::ChecksumMismatch, i};
    inRun = false;
  }
  return {V::Continues, 0};
}

const char16_t* continuationVerdictText(ContinuationVerdict verdict) {
  switch (verdict) {
    case ContinuationVerdict::Continues: return u"it goes on with the folder";
    case ContinuationVerdict::Empty: return u"it begins with an end-of-folder slot";
    case ContinuationVerdict::AnotherFolder: return u"it begins with \".\" and \"..\" of another folder";
    case ContinuationVerdict::BadName: return u"a short name holds bytes that are no name characters";
    case ContinuationVerdict::BadAttributes: return u"an entry carries attribute bits no entry of a folder carries";
    case ContinuationVerdict::BadStartCluster: return u"a start cluster lies outside the volume";
    case ContinuationVerdict::BadSize: return u"a size exceeds the volume";
    case ContinuationVerdict::BadFragment: return u"a long-name fragment is malformed";
    case ContinuationVerdict::ChecksumMismatch: return u"a long name's checksum does not match its short entry";
  }
  return u"";
}

bool holdsEndOfFolder(ByteSpan cluster) {
  for (std::size_t i = 0; i < cluster.size() / kSlotSize; ++i)
    if (cluster[i * kSlotSize] == kEndOfDirectory) return true;
  return false;
}

std::uint64_t maxFolderClusters(std::uint32_t clusterSize) {
  if (clusterSize == 0) return 1;
  return std::max<std::uint64_t>(1, kMaxFolderEntries * kSlotSize / clusterSize);
}

}  // namespace tarvosk
