// Offsets and constants of the NTFS on-disk structures this reader uses. Every field is loaded
// through the bounded little-endian loads of platform/ByteOrder.h, never through a struct cast.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvosk::ntfs {

// Boot sector.
constexpr std::size_t kBootOemName = 3;             // 8 bytes, "NTFS    "
constexpr std::size_t kBootBytesPerSector = 11;     // 16-bit
constexpr std::size_t kBootSectorsPerCluster = 13;  // 8-bit
constexpr std::size_t kBootTotalSectors = 40;       // 64-bit
constexpr std::size_t kBootMftCluster = 48;         // 64-bit, first cluster of the $MFT
constexpr std::size_t kBootClustersPerRecord = 64;  // 32-bit; low byte signed decides the record size
constexpr std::size_t kBootSerialNumber = 72;       // 64-bit volume serial number

// MFT record header.
constexpr std::size_t kRecordSignature = 0;         // 4 bytes "FILE"
constexpr std::size_t kRecordUsaOffset = 4;         // 16-bit offset of the update sequence array
constexpr std::size_t kRecordUsaCount = 6;          // 16-bit: update sequence number plus one per sector
constexpr std::size_t kRecordFlags = 22;            // 16-bit: 1 in use, 2 folder
constexpr std::size_t kRecordFirstAttribute = 20;   // 16-bit offset of the first attribute
constexpr std::size_t kRecordBaseReference = 32;    // 48-bit record number + 16-bit sequence
constexpr std::size_t kRecordMinimumHeader = 42;    // the header fields above all lie below this
// The update sequence protects the last two bytes of every 512-byte stretch of a record, whatever
// the volume's sector size (records of 4096-byte-sector volumes carry 8 entries, not 1).
constexpr std::size_t kUpdateSequenceStride = 512;
constexpr std::uint16_t kRecordInUse = 0x0001;
constexpr std::uint16_t kRecordIsFolder = 0x0002;

// Attribute header.
constexpr std::size_t kAttrType = 0;                // 32-bit; kAttrEnd ends the record's attributes
constexpr std::size_t kAttrLength = 4;              // 32-bit length of the whole attribute
constexpr std::size_t kAttrNonResident = 8;         // 8-bit flag
constexpr std::size_t kAttrNameLength = 9;          // 8-bit, in UTF-16 units
constexpr std::size_t kAttrNameOffset = 10;         // 16-bit
constexpr std::size_t kAttrFlags = 12;              // 16-bit: 0x0001 compressed, 0x8000 sparse
constexpr std::uint16_t kAttrFlagCompressed = 0x0001;
constexpr std::size_t kAttrResidentHeader = 24;     // size of the resident header
constexpr std::size_t kAttrValueLength = 16;        // resident: 32-bit
constexpr std::size_t kAttrValueOffset = 20;        // resident: 16-bit
constexpr std::size_t kAttrStartVcn = 16;           // non-resident: 64-bit first VCN of this extent
constexpr std::size_t kAttrRunListOffset = 32;      // non-resident: 16-bit
constexpr std::size_t kAttrCompressionUnit = 34;    // non-resident: 16-bit, log2 clusters; 0 = none
constexpr std::size_t kAttrDataSize = 48;           // non-resident: 64-bit data size in bytes
constexpr std::size_t kAttrInitializedSize = 56;    // non-resident: 64-bit initialized size in bytes
constexpr std::size_t kAttrNonResidentHeader = 64;  // size of the non-resident header
constexpr std::uint32_t kAttrEnd = 0xFFFFFFFF;

// Attribute types.
constexpr std::uint32_t kAttrStandardInformation = 0x10;
constexpr std::uint32_t _AH_TYPE_AL = 0x20;         // $ATTRIBUTE_LIST
constexpr std::uint32_t kAttrFileName = 0x30;       // $FILE_NAME
constexpr std::uint32_t kAttrVolumeName = 0x60;     // $VOLUME_NAME
constexpr std::uint32_t _AH_TYPE_DA = 0x80;         // $DATA
constexpr std::uint32_t kAttrIndexRoot = 0x90;      // $INDEX_ROOT
constexpr std::uint32_t kAttrIndexAllocation = 0xA0;  // $INDEX_ALLOCATION
constexpr std::uint32_t kAttrBitmap = 0xB0;         // $BITMAP

// Attribute list entry.
constexpr std::size_t kAlType = 0;                  // 32-bit
constexpr std::size_t kAlLength = 4;                // 16-bit entry length
constexpr std::size_t kAlNameLength = 6;            // 8-bit
constexpr std::size_t kAlStartVcn = 8;              // 64-bit
constexpr std::size_t kAlRecordLow = 16;            // low 32 bits of the record number
constexpr std::size_t kAlRecordHigh = 20;           // high 16 bits of the record number
constexpr std::size_t kAlMinimumEntry = 26;

// $FILE_NAME value.
constexpr std::size_t kFnParentReference = 0;       // 48-bit record number + 16-bit sequence
constexpr std::size_t kFnModificationTime = 16;     // 64-bit FILETIME, as the name's folder last saw it
constexpr std::size_t kFnFileAttributes = 56;       // 32-bit file attribute flags
constexpr std::uint32_t kFnAttributeFolder = 0x10000000;
constexpr std::size_t kFnNameLength = 64;           // 8-bit, in characters
constexpr std::size_t kFnNamespace = 65;            // 8-bit; 2 is the DOS 8.3 name
constexpr std::size_t kFnName = 66;                 // UTF-16, not terminated
constexpr std::uint8_t kFnNamespaceDos = 2;

// A folder's index of names ($I30): the $INDEX_ROOT value, the blocks of $INDEX_ALLOCATION, and
// the node header that both hold, whose offsets count from the node header itself.
constexpr std::size_t kIrBlockSize = 8;             // $INDEX_ROOT: 32-bit bytes per index block
constexpr std::size_t kIrNode = 16;                 // $INDEX_ROOT: the node header
constexpr std::size_t kIbNode = 24;                 // index block ("INDX"): the node header
constexpr std::size_t kNodeFirstEntry = 0;          // 32-bit
constexpr std::size_t kNodeEntriesEnd = 4;          // 32-bit
constexpr std::size_t kNodeFlags = 12;              // 8-bit
constexpr std::uint8_t kNodeHasBlocks = 0x01;       // entries lead to index blocks below
constexpr std::size_t kNodeHeaderSize = 16;
constexpr std::size_t kIeFileReference = 0;         // index entry: 48-bit record number + 16-bit sequence
constexpr std::size_t kIeLength = 8;                // 16-bit, the whole entry
constexpr std::size_t kIeKeyLength = 10;            // 16-bit
constexpr std::size_t kIeFlags = 12;                // 16-bit: 1 a sub-node follows, 2 the node's last entry
constexpr std::size_t kIeKey = 16;                  // the $FILE_NAME value
constexpr std::uint16_t kIeFlagLast = 0x0002;

// $STANDARD_INFORMATION value.
constexpr std::size_t kSiCreationTime = 0;          // 64-bit FILETIME
constexpr std::size_t kSiWriteTime = 8;
constexpr std::size_t kSiAccessTime = 24;
constexpr std::size_t kSiFileAttributes = 32;       // 32-bit DOS attributes
constexpr std::size_t kSiMinimumLength = 36;

// Records of the system files.
constexpr std::uint64_t kMftRecordVolume = 3;
constexpr std::uint64_t kMftRecordRoot = 5;
constexpr std::uint64_t kMftRecordBitmap = 6;
constexpr std::uint64_t kFirstUserRecord = 16;
constexpr std::uint32_t kFirstRecordCount = 16;     // records read at open

constexpr std::uint64_t kRecordNumberMask = 0x0000FFFFFFFFFFFFull;

// LZNT1 compression.
constexpr std::size_t kChunkSize = 4096;
constexpr std::uint32_t kClustersPerCompressionUnit = 16;

}  // namespace tarvosk::ntfs
