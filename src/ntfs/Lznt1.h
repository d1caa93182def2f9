// NTFS compression (LZNT1): chunks of at most 4096 output bytes, 16 clusters to a unit.
#pragma once

#include <cstdint>
#include <span>

#include "platform/ByteOrder.h"
#include "platform/ResultCodes.h"
#include "platform/WinTypes.h"

// Expands one chunk (16-bit header, then stored bytes or tokens) into output, which should hold
// 4096 bytes; nothing is written past output's end nor read past chunk's end. The part of the
// output that the chunk does not produce is zero. Returns the chunk's length in the input,
// header included: (header & 0x0FFF) + 3, or 0 when the input is shorter than a header.
DWORD DecompressChunk(std::span<BYTE> output, tarvosk::ByteSpan chunk);

// Expands one compression unit into output, which must hold 16 clusters: LAYER_SUCCESS;
// LAYER_ARRAY_TOO_SMALL if output is smaller; LAYER_BAD_HANDLE.
DWORD DecompressUnit(DWORD handle, tarvosk::ByteSpan compressed, std::span<BYTE> output);

namespace tarvosk::ntfs {

// The unit expansion for a cluster size; LAYER_SUCCESS or LAYER_ARRAY_TOO_SMALL as above.
DWORD decompressUnitBytes(DWORD clusterSize, ByteSpan compressed, std::span<BYTE> output);

}  // namespace tarvosk::ntfs
