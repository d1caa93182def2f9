// IDENTIFY DEVICE on an IDE channel through the I/O ports, and the decoding of its 256 words.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/ByteOrder.h"
#include "platform/WinTypes.h"

namespace tarvosk {

constexpr int kIdeMaxDevices = 8;        // four channels, master and slave
constexpr std::size_t kIdentifyWords = 256;
constexpr std::size_t kIdentifyBytes = kIdentifyWords * 2;

// What the layer keeps of an IDENTIFY DEVICE answer.
struct IdeIdentity {
  DWORD mediaType = 0;  // RemovableMedia, FixedMedia or 0
  DWORD cylinders = 0;
  DWORD heads = 0;
  DWORD sectorsPerTrack = 0;
  std::uint64_t totalSectors = 0;
  std::string model;    // at most 254 bytes, trailing blanks cut
};

// The command block base port of an IDE channel 0-3.
WORD ideBasePort(int channel);

// Decodes the 512 bytes of an IDENTIFY DEVICE answer (words little-endian as the data port
// gives them).
IdeIdentity decodeIdentifyData(ByteSpan words);

// Selects device 0-7 (channel device/2, master when even), sends IDENTIFY DEVICE and reads its
// answer into 512 bytes; false when the drive never shows ready, or reports an error.
bool identifyIdeDevice(int device, std::uint8_t (&answer)[kIdentifyBytes]);

}  // namespace tarvosk
