#include "ntfs/Lznt1.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "log/Log.h"
#include "ntfs/NtfsLayout.h"
#include "ntfs/NtfsVolume.h"

using namespace tarvosk;
using namespace tarvosk::ntfs;

namespace {

constexpr std::uint16_t kChunkCompressed = 0x8000;
constexpr std::uint16_t kChunkLengthMask = 0x0FFF;
constexpr std::size_t kChunkHeaderBytes = 2;

// Decodes the tokens of a compressed chunk's data into out; returns the bytes produced.
std::size_t expandTokens(const BYTE* in, std::size_t inSize, BYTE* out, std::size_t outSize) {
  std::size_t ip = 0;
  std::size_t op = 0;
  while (ip < inSize && op < outSize) {
    std::uint8_t flags = in[ip++];
    for (int bit = 0; bit < 8 && ip < inSize && op < outSize; ++bit, flags >>= 1) {
      if ((flags & 1) == 0) {
        out[op++] = in[ip++];
        continue;
      }
      // A back-reference needs both token bytes inside the input.
      if (inSize - ip < 2) {
        LOG_Write(g_logNTFS, ERROR, u"DecompressChunk(): token cut off at input byte %d", static_cast<DWORD>(ip));
        return op;
      }
      auto token = static_cast<std::uint16_t>(in[ip] | (in[ip + 1] << 8));
      ip += 2;
      if (op == 0) {  // nothing yet to refer back to
        LOG_Write(g_logNTFS, ERROR, u"DecompressChunk(): back-reference before any output");
        return op;
      }
      unsigned k = std::max(4u, static_cast<unsigned>(std::bit_width(op - 1)));
      std::size_t displacement = (static_cast<std::size_t>(token) >> (16 - k)) + 1;
      std::size_t length = (token & ((1u << (16 - k)) - 1)) + 3;
      if (displacement > op) {  // would reach before the chunk's start
        LOG_Write(g_logNTFS, ERROR, u"DecompressChunk(): back-reference of %d bytes at output byte %d reaches before the chunk",
                  static_cast<DWORD>(displacement), static_cast<DWORD>(op));
        return op;
      }
      length = std::min(length, outSize - op);
      BYTE* dst = out + op;
      const BYTE* src = dst - displacement;
      if (displacement >= length) {
        std::memcpy(dst, src, length);
      } else {
        for (std::size_t i = 0; i < length; ++i) dst[i] = src[i];  // overlapping: repeats
      }
      op += length;
    }
  }
  return op;
}

}  // namespace

DWORD DecompressChunk(std::span<BYTE> output, ByteSpan chunk) {
  std::size_t outSize = std::min(output.size(), kChunkSize);
  if (outSize == 0) return chunk.size() < kChunkHeaderBytes ? 0 : static_cast<DWORD>((le16(chunk, 0) & kChunkLengthMask) + 3);
  if (chunk.size() < kChunkHeaderBytes) {
    std::memset(output.data(), 0, outSize);
    return 0;
  }
  std::uint16_t header = le16(chunk, 0);
  std::size_t total = static_cast<std::size_t>(header & kChunkLengthMask) + 3;
  std::size_t available = std::min(total, chunk.size()) - kChunkHeaderBytes;
  const BYTE* data = chunk.data() + kChunkHeaderBytes;
  std::size_t produced = 0;
  if ((header & kChunkCompressed) == 0) {
    produced = std::min({static_cast<std::size_t>(header & kChunkLengthMask) + 1, available, outSize});
    std::memcpy(output.data(), data, produced);
  } else {
    produced = expandTokens(data, available, output.data(), outSize);
  }
  std::memset(output.data() + produced, 0, outSize - produced);
  return static_cast<DWORD>(total);
}

namespace tarvosk::ntfs {

DWORD decompressUnitBytes(DWORD clusterSize, ByteSpan compressed, std::span<BYTE> output) {
  std::size_t unitSize = static_cast<std::size_t>(clusterSize) * kClustersPerCompressionUnit;
  if (output.size() < unitSize) return LAYER_ARRAY_TOO_SMALL;
  std::size_t in = 0;
  for (std::size_t out = 0; out < unitSize; out += kChunkSize) {
    std::span<BYTE> piece = output.subspan(out, std::min(kChunkSize, unitSize - out));
    // A zero header (or the end of the input) ends the unit's data: the rest is zeros.
    if (!fitsIn(compressed.size(), in, kChunkHeaderBytes) || le16(compressed, in) == 0) {
      std::memset(output.data() + out, 0, unitSize - out);
      break;
    }
    in += DecompressChunk(piece, compressed.subspan(in));
  }
  return LAYER_SUCCESS;
}

}  // namespace tarvosk::ntfs

DWORD DecompressUnit(DWORD handle, ByteSpan compressed, std::span<BYTE> output) {
  NtfsVolumeEntry* entry = openEntry(handle);
  if (!entry) return LAYER_BAD_HANDLE;
  return decompressUnitBytes(entry->clusterSize, compressed, output);
}
