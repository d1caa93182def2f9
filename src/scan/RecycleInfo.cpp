#include "scan/RecycleInfo.h"

#include <algorithm>

#include "platform/CaseFolding.h"
#include "platform/PathNames.h"
#include "platform/Time.h"

namespace tarvosk {

namespace {

// "$I" layout.
constexpr std::size_t kVersion = 0;        // 64-bit: 1 or 2
constexpr std::size_t kSize = 8;           // 64-bit
constexpr std::size_t kDeletedAt = 16;     // FILETIME
constexpr std::size_t kV1Path = 24;        // 260 UTF-16 units, zero-terminated
constexpr std::size_t kV1PathUnits = 260;
constexpr std::size_t kV2PathUnits = 24;   // 32-bit count of UTF-16 units, the terminator included
constexpr std::size_t kV2Path = 28;
constexpr std::uint64_t kSizeLimit = std::uint64_t{1} << 63;

// The text of units UTF-16 units at off, up to the first zero.
std::u16string pathAt(ByteSpan bytes, std::size_t off, std::size_t units) {
  std::u16string path;
  for (std::size_t i = 0; i < units; ++i) {
    char16_t c = le16(bytes, off + 2 * i);
    if (c == 0) break;
    path += c;
  }
  return path;
}

// "$" and the letter, then a suffix of at least one character.
bool hasPrefix(std::u16string_view name, char16_t letter, bool firstMayBeLost) {
  return name.size() > 2 && (name[0] == u'$' || (firstMayBeLost && name[0] == u'?')) && foldCase(name[1]) == letter;
}

}  // namespace

RecycleInfoFault parseRecycleInfo(ByteSpan bytes, RecycleInfo& info) {
  if (bytes.size() > kMaxRecycleInfoSize) return RecycleInfoFault::TooLong;
  if (bytes.size() < kV1Path) return RecycleInfoFault::TooShort;
  info.version = le64(bytes, kVersion);
  info.size = le64(bytes, kSize);
  info.deletedAt = makeFileTime(le64(bytes, kDeletedAt));
  if (info.version == 1) {
    if (bytes.size() < kRecycleInfoV1Size) return RecycleInfoFault::TooShort;
    info.originalPath = pathAt(bytes, kV1Path, kV1PathUnits);
  } else if (info.version == 2) {
    if (bytes.size() < kV2Path) return RecycleInfoFault::TooShort;
    std::uint32_t units = le32(bytes, kV2PathUnits);
    if (units > (bytes.size() - kV2Path) / 2) return RecycleInfoFault::PathPastEnd;
    info.originalPath = pathAt(bytes, kV2Path, units);
  } else {
    return RecycleInfoFault::UnknownVersion;
  }
  if (info.size >= kSizeLimit) return RecycleInfoFault::SizeOutOfRange;
  if (info.originalPath.empty()) return RecycleInfoFault::EmptyPath;
  PathParts parts = splitPath(info.originalPath);
  if (parts.name.empty() && parts.extension.empty()) return RecycleInfoFault::NoName;
  return RecycleInfoFault::None;
}

const char16_t* recycleInfoFaultText(RecycleInfoFault fault) {
  switch (fault) {
    case RecycleInfoFault::None: return u"well formed";
    case RecycleInfoFault::TooShort: return u"shorter than its header";
    case RecycleInfoFault::TooLong: return u"longer than any $I file";
    case RecycleInfoFault::UnknownVersion: return u"unknown version";
    case RecycleInfoFault::SizeOutOfRange: return u"file size of 2^63 or more";
    case RecycleInfoFault::PathPastEnd: return u"path length past the end of the file";
    case RecycleInfoFault::EmptyPath: return u"empty path";
    case RecycleInfoFault::NoName: return u"path names no file";
  }
  return u"";
}

bool isRecycleInfoName(std::u16string_view name, bool firstMayBeLost) { return hasPrefix(name, u'i', firstMayBeLost); }

bool isRecycleItemName(std::u16string_view name, bool firstMayBeLost) { return hasPrefix(name, u'r', firstMayBeLost); }

std::u16string recycleSuffixKey(std::u16string_view name) {
  name.remove_prefix(std::min<std::size_t>(2, name.size()));
  if (!name.empty() && name.back() == u'.') name.remove_suffix(1);
  return folded(name);
}

std::u16string recycleItemNameFor(std::u16string_view infoName) {
  return u"$R" + std::u16string(infoName.substr(std::min<std::size_t>(2, infoName.size())));
}

}  // namespace tarvosk
