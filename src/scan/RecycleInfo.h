// The "$I" file that the recycle bin of Windows Vista and later keeps beside each deleted item
// ("$R" and the same suffix): where the item lived, its size and when it was deleted.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ByteOrder.h"
#include "platform/WinTypes.h"

namespace tarvosk {

// Version 1 (Vista to 8.1) is 544 bytes with a path of 260 characters; version 2 (10 and
// later) holds the path's length and the path. No path is longer than 32,767 characters.
constexpr std::size_t kRecycleInfoV1Size = 544;
constexpr std::size_t kMaxRecycleInfoSize = 28 + 2 * 32768;

struct RecycleInfo {
  std::uint64_t version = 0;
  std::uint64_t size = 0;     // of the deleted file; of everything in it for a folder
  FILETIME deletedAt{};       // UTC
  std::u16string originalPath;
};

enum class RecycleInfoFault {
  None,
  TooShort,          // shorter than its version's fixed part
  TooLong,           // longer than any "$I" can be
  UnknownVersion,
  SizeOutOfRange,    // 2^63 or more: no file is that long
  PathPastEnd,       // version 2: the path's length reaches past the end of the file
  EmptyPath,
  NoName,            // the path ends in a separator
};

// Parses the bytes of a "$I" file into info; the fault says why it was refused.
RecycleInfoFault parseRecycleInfo(ByteSpan bytes, RecycleInfo& info);

// The fault in words, for the log.
const char16_t* recycleInfoFaultText(RecycleInfoFault fault);

// Whether name is a "$I" file's, or a "$R" item's: "$I" (or "$R"), in either case, and at least
// one more character. With firstMayBeLost (a deleted FAT name, whose lost first character is
// listed as "?") a "?" stands for the "$".
bool isRecycleInfoName(std::u16string_view name, bool firstMayBeLost);
bool isRecycleItemName(std::u16string_view name, bool firstMayBeLost);
// What pairs a "$I" file with its "$R" item: the rest of the name after "$I" or "$R", without
// regard to case and without a trailing "." (a FAT short name without an extension is listed with
// one for a file and without one for a folder; no Windows name ends in ".").
std::u16string recycleSuffixKey(std::u16string_view name);
// The item's name of a "$I" file: "$R" and its suffix.
std::u16string recycleItemNameFor(std::u16string_view infoName);

}  // namespace tarvosk
