// LZNT1 chunks and units: stored and compressed chunks, overlapping copies, and every edge of
// hostile input (truncated tokens, references before the chunk, output limits).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "ntfs/Lznt1.h"
#include "platform/ByteOrder.h"

using namespace tarvosk;
using namespace tarvosk::ntfs;

namespace {

std::vector<BYTE> chunkOf(std::uint16_t header, const std::vector<BYTE>& data) {
  std::vector<BYTE> c(2 + data.size());
  putLe16(c.data(), header);
  for (std::size_t i = 0; i < data.size(); ++i) c[2 + i] = data[i];
  return c;
}

// A compressed chunk whose header length matches its data.
std::vector<BYTE> compressedChunk(const std::vector<BYTE>& data) {
  return chunkOf(static_cast<std::uint16_t>(0xB000 | (data.size() - 1)), data);
}

}  // namespace

TEST(Lznt1Chunk, Stored3FFFCopies4096Bytes) {
  std::vector<BYTE> data(4096);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<BYTE>(i * 7 + 1);
  auto chunk = chunkOf(0x3FFF, data);
  std::vector<BYTE> out(4096, 0xEE);
  EXPECT_EQ(DecompressChunk(out, ByteSpan(chunk)), 4098u);
  EXPECT_EQ(out, data);
}

TEST(Lznt1Chunk, ShortStoredChunkIsZeroFilled) {
  auto chunk = chunkOf(0x3003, {'a', 'b', 'c', 'd'});
  std::vector<BYTE> out(4096, 0xEE);
  EXPECT_EQ(DecompressChunk(out, ByteSpan(chunk)), 6u);
  EXPECT_EQ(std::memcmp(out.data(), "abcd", 4), 0);
  EXPECT_TRUE(std::all_of(out.begin() + 4, out.end(), [](BYTE b) { return b == 0; }));
}

TEST(Lznt1Chunk, LiteralsAndOverlappingBackReference) {
  // "abc" then a token: displacement 3, length 9 -> "abcabcabcabc".
  // p = 3, k = 4: token = ((3 - 1) << 12) | (9 - 3).
  std::uint16_t token = static_cast<std::uint16_t>((2 << 12) | 6);
  auto chunk = compressedChunk({0x08, 'a', 'b', 'c', static_cast<BYTE>(token), static_cast<BYTE>(token >> 8)});
  std::vector<BYTE> out(4096, 0xEE);
  EXPECT_EQ(DecompressChunk(out, ByteSpan(chunk)), chunk.size());
  EXPECT_EQ(std::string(out.begin(), out.begin() + 12), "abcabcabcabc");
  EXPECT_EQ(out[12], 0);
}

TEST(Lznt1Chunk, DisplacementBitsGrowWithThePosition) {
  // 17 literals, then a token at p = 17 where k = 5: displacement 17, length 4.
  std::vector<BYTE> data;
  std::string text = "ABCDEFGHIJKLMNOPQ";
  data.push_back(0x00);
  for (int i = 0; i < 8; ++i) data.push_back(static_cast<BYTE>(text[i]));
  data.push_back(0x00);
  for (int i = 8; i < 16; ++i) data.push_back(static_cast<BYTE>(text[i]));
  data.push_back(0x02);  // literal 'Q', then a token
  data.push_back('Q');
  std::uint16_t token = static_cast<std::uint16_t>(((17 - 1) << 11) | (4 - 3));
  data.push_back(static_cast<BYTE>(token));
  data.push_back(static_cast<BYTE>(token >> 8));
  auto chunk = compressedChunk(data);
  std::vector<BYTE> out(4096);
  DecompressChunk(out, ByteSpan(chunk));
  EXPECT_EQ(std::string(out.begin(), out.begin() + 21), text + "ABCD");
}

TEST(Lznt1Edges, TruncatedTokenStopsWithoutReadingPastTheInput) {
  // A literal, then the flag says token, but only one token byte is inside the chunk.
  auto chunk = compressedChunk({0x02, 'x', 0x01});
  std::vector<BYTE> out(4096, 0xEE);
  DecompressChunk(out, ByteSpan(chunk));
  EXPECT_EQ(out[0], 'x');
  EXPECT_EQ(out[1], 0) << "the cut-off token produces nothing";
  // A header claiming more bytes than given reads only what was given.
  auto longClaim = chunkOf(0xBFFF, {0x00, 'h', 'i'});
  std::vector<BYTE> out2(4096, 0xEE);
  EXPECT_EQ(DecompressChunk(out2, ByteSpan(longClaim)), 4098u);
  EXPECT_EQ(out2[0], 'h');
  EXPECT_EQ(out2[1], 'i');
  EXPECT_EQ(out2[2], 0);
}

TEST(Lznt1Edges, BackReferenceBeforeTheChunkStartIsRefused) {
  std::uint16_t tooFar = static_cast<std::uint16_t>((9 << 12) | 0);  // displacement 10 at p = 1
  auto chunk = compressedChunk({0x02, 'z', static_cast<BYTE>(tooFar), static_cast<BYTE>(tooFar >> 8)});
  std::vector<BYTE> out(4096, 0xEE);
  DecompressChunk(out, ByteSpan(chunk));
  EXPECT_EQ(out[0], 'z');
  EXPECT_EQ(out[1], 0);
  auto atStart = compressedChunk({0x01, 0x00, 0x10});  // token before any output
  DecompressChunk(out, ByteSpan(atStart));
  EXPECT_EQ(out[0], 0);
}

TEST(Lznt1Edges, NeverWritesPastTheOutput) {
  // One literal, then tokens of maximal length repeating it: would run far past 4096.
  std::vector<BYTE> data = {0xFE, 'r'};
  for (int i = 0; i < 7; ++i) {
    data.push_back(0xFF);
    data.push_back(0x0F);  // displacement 1, length 0x0FFF + 3 at small p
  }
  auto chunk = compressedChunk(data);
  std::vector<BYTE> big(4096 + 64, 0xEE);
  DecompressChunk(std::span<BYTE>(big.data(), 4096), ByteSpan(chunk));
  EXPECT_TRUE(std::all_of(big.begin(), big.begin() + 4096, [](BYTE b) { return b == 'r'; }));
  EXPECT_TRUE(std::all_of(big.begin() + 4096, big.end(), [](BYTE b) { return b == 0xEE; }));
  std::vector<BYTE> small(10, 0xEE);
  std::vector<BYTE> guarded(small.size() + 8, 0xEE);
  DecompressChunk(std::span<BYTE>(guarded.data(), 10), ByteSpan(chunk));
  EXPECT_TRUE(std::all_of(guarded.begin() + 10, guarded.end(), [](BYTE b) { return b == 0xEE; }));
}

TEST(Lznt1Edges, EmptyOrOneByteInputGivesZeros) {
  std::vector<BYTE> out(4096, 0xEE);
  EXPECT_EQ(DecompressChunk(out, ByteSpan()), 0u);
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](BYTE b) { return b == 0; }));
}

TEST(Lznt1Unit, ChunksFillConsecutive4096BytesAndAZeroHeaderEndsTheData) {
  const DWORD clusterSize = 512;  // a unit of 8 KiB: two chunks
  std::vector<BYTE> a(4096, 'a');
  auto first = chunkOf(0x3FFF, a);
  auto second = chunkOf(0x3001, {'b', 'c'});
  std::vector<BYTE> input(first.size() + second.size());
  std::copy(first.begin(), first.end(), input.begin());
  std::copy(second.begin(), second.end(), input.begin() + static_cast<std::ptrdiff_t>(first.size()));
  std::vector<BYTE> out(8192 + 16, 0xEE);
  EXPECT_EQ(decompressUnitBytes(clusterSize, ByteSpan(input), std::span<BYTE>(out.data(), 8192)), 0u);
  EXPECT_EQ(out[4095], 'a');
  EXPECT_EQ(out[4096], 'b');
  EXPECT_EQ(out[4097], 'c');
  EXPECT_EQ(out[8191], 0);
  EXPECT_EQ(out[8192], 0xEE);
  std::vector<BYTE> ended(first.size() + 5, 0);
  std::copy(first.begin(), first.end(), ended.begin());
  ended[first.size() + 2] = 'x';
  EXPECT_EQ(decompressUnitBytes(clusterSize, ByteSpan(ended), std::span<BYTE>(out.data(), 8192)), 0u);
  EXPECT_EQ(out[4096], 0);
  EXPECT_EQ(decompressUnitBytes(clusterSize, ByteSpan(ended), std::span<BYTE>(out.data(), 100)), 3u);
}

TEST(Lznt1Unit, BadHandleGives4) {
  std::vector<BYTE> out(65536);
  EXPECT_EQ(DecompressUnit(100, ByteSpan(), out), 4u);
  EXPECT_EQ(DecompressUnit(7, ByteSpan(), out), 4u);
}

// A back-reference's displacement takes 4 bits up to output position 16, then one more bit each
// time the position passes 32, 64, ...: at each edge, a token reaching back to the chunk's start
// copies its first bytes only when read with the right split.
TEST(Lznt1Chunk, DisplacementWidthChangesJustAfterPositions16And32And64) {
  const std::pair<std::size_t, unsigned> edges[] = {{16, 4}, {17, 5}, {32, 5}, {33, 6}, {64, 6}, {65, 7}};
  for (const auto& [position, displacementBits] : edges) {
    SCOPED_TRACE(position);
    std::vector<BYTE> literals(position);
    for (std::size_t i = 0; i < position; ++i) literals[i] = static_cast<BYTE>(i + 1);
    // position literals, then the token (displacement position, length 3); a flag byte before
    // every eight items.
    std::vector<BYTE> data;
    std::size_t flags = 0;
    for (std::size_t item = 0; item <= position; ++item) {
      if (item % 8 == 0) {
        flags = data.size();
        data.push_back(0x00);
      }
      if (item < position) {
        data.push_back(literals[item]);
        continue;
      }
      data[flags] = static_cast<BYTE>(data[flags] | (1u << (item % 8)));
      auto token = static_cast<std::uint16_t>((position - 1) << (16 - displacementBits));
      data.push_back(static_cast<BYTE>(token));
      data.push_back(static_cast<BYTE>(token >> 8));
    }
    std::vector<BYTE> out(4096, 0xEE);
    DecompressChunk(out, ByteSpan(compressedChunk(data)));
    std::vector<BYTE> expected = literals;
    expected.insert(expected.end(), literals.begin(), literals.begin() + 3);
    expected.push_back(0);  // and nothing after it
    EXPECT_EQ(std::vector<BYTE>(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(expected.size())), expected);
  }
}
