// Files waiting in the recycle bin: whole files on the volume under generated names, listed in
// the folders they were deleted from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/ByteOrder.h"
#include "platform/WinTypes.h"
#include "scan/DriveFileList.h"

namespace tarvosk {

// Lists every recycle folder of the drive ("X:\Recycled", each folder in "X:\Recycler" and in
// "X:\$Recycle.Bin"), then the deleted items of an emptied "$Recycle.Bin" under their former
// names. Always true.
bool ListRecycleBin(const std::u16string& drivePath, DriveFileList& list);

// Reads one recycle folder's INFO2 and adds its entries; false when it cannot be opened or has
// an unknown record size.
bool ReadInfo2(const std::u16string& folderPath, DriveFileList& list, std::uint64_t& recycleId);

// What an index of the recycle bin says about a kept item, in place of what the item on disk says.
struct RecycledItemFacts {
  std::uint64_t size = 0;  // files only: a folder's entry has size 0
  FILETIME deletedAt{};
};

// Adds an entry under holder for the file or folder at path (and, for a folder, everything in
// it); name replaces the item's own name when given, facts the item's own size and time. False
// when the item cannot be examined.
bool AddDiskFileEntry(FileEntry& holder, const std::u16string* name, const std::u16string& path, DriveFileList& list,
                      std::uint64_t& recycleId, const RecycledItemFacts* facts = nullptr);

// One record of an INFO2 file.
struct Info2Record {
  std::u16string deletedPath;  // where the file lived
  std::uint32_t recordNumber = 0;
  std::uint32_t driveNumber = 0;  // 0 for A:, 2 for C:
};

constexpr std::uint32_t kInfo2AnsiRecordSize = 280;
constexpr std::uint32_t kInfo2UnicodeRecordSize = 800;

// Parses one record of recordSize bytes (280: ANSI path, 800: UTF-16 path).
std::optional<Info2Record> parseInfo2Record(ByteSpan record, std::uint32_t recordSize);

// The kept item of a record: "<folder>\D<drive letter><record number><extension>".
std::u16string keptItemPath(const std::u16string& folderPath, const Info2Record& record);

}  // namespace tarvosk
