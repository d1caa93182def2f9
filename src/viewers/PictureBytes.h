// A found picture's bytes read into memory for the preview, straight from the disk as the
// recovery engine reads them, without recovering the file.
#pragma once

#include <cstdint>
#include <vector>

#include "scan/FileEntry.h"

namespace tarvosk {

// Larger pictures are not previewed.
constexpr std::uint64_t kMaxPreviewBytes = 10000000;

enum class PictureRead {
  Read,
  TooLarge,             // string 19
  MftRecordUnreadable,  // string 139
  DataUnreadable,       // string 161
  Compressed,           // string 162: NTFS compression is not previewed
};

// Fills bytes with exactly the entry's size: a recycle-bin file copied from its path, a carved
// or FAT file from its consecutive units, an NTFS file from its resident value or its runs
// (sparse runs as zeros). bytes is left empty unless the result is Read.
PictureRead readPictureBytes(const FileEntry& entry, std::vector<std::uint8_t>& bytes);

// The message the user sees for a failed read.
unsigned pictureReadMessage(PictureRead result);

}  // namespace tarvosk
