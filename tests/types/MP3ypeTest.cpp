// MP3 music: a chain of at least 500 MPEG audio frames, after an optional ID3v2 tag, with an
// ID3v1 tag's 128 bytes added when one follows; units without data are passed over.
#include <gtest/gtest.h>

#include <cstring>

#include "types/CarvingDisk.h"
#include "types/MP3ype.h"

namespace tarvosk {
namespace {

using test::SyntheticDisk;

constexpr std::uint8_t kFrame128k[] = {0xFF, 0xFB, 0x90, 0x00};  // MPEG-1 Layer III, 128 kbit/s, 44.1 kHz
constexpr std::size_t kFrame128kLength = 417;

std::vector<std::uint8_t> frames(std::size_t count, bool v1Tag = false, std::size_t id3v2Size = 0) {
  std::vector<std::uint8_t> b;
  if (id3v2Size != 0) {
    b.assign(10 + id3v2Size, 0);
    std::memcpy(b.data(), "ID3\x03\x00\x00", 6);
    for (int i = 0; i < 4; ++i) b[6 + i] = static_cast<std::uint8_t>((id3v2Size >> (7 * (3 - i))) & 0x7F);
  }
  for (std::size_t f = 0; f < count; ++f) {
    const std::size_t at = b.size();
    b.resize(at + kFrame128kLength, 0x33);
    std::memcpy(b.data() + at, kFrame128k, 4);
  }
  if (v1Tag) {
    const std::size_t at = b.size();
    b.resize(at + 128, 0);
    std::memcpy(b.data() + at, "TAGFixture", 10);
  }
  return b;
}

std::int32_t lengthOf(std::uint8_t b1, std::uint8_t b2) {
  const std::uint8_t h[] = {0xFF, b1, b2, 0x00};
  return mpegFrameLength(ByteSpan(h), 0);
}

TEST(Mp3Recogniser, NamesItsType) {
  CMP3ype mp3;
  EXPECT_EQ(mp3.GetExtension(), u".mp3");
  EXPECT_EQ(mp3.GetName(), u"MP3 文件");
  EXPECT_EQ(mp3.GetCategory(), u"音乐和视频");
}

TEST(Mp3Recogniser, FrameLengthsFollowTheMpegAudioTables) {
  EXPECT_EQ(lengthOf(0xFB, 0x90), 417);  // MPEG-1 Layer III 128 kbit/s 44.1 kHz
  EXPECT_EQ(lengthOf(0xFB, 0x92), 418);  // with padding
  EXPECT_EQ(lengthOf(0xFB, 0xE4), 960);  // 320 kbit/s 48 kHz
  EXPECT_EQ(lengthOf(0xF3, 0x80), 208);  // MPEG-2 Layer III 64 kbit/s 22.05 kHz
  EXPECT_EQ(lengthOf(0xFD, 0xE8), 1728);  // MPEG-1 Layer II 384 kbit/s 32 kHz (multiplier 144)
  EXPECT_EQ(lengthOf(0xFF, 0x10), 32);   // MPEG-1 Layer I 32 kbit/s 44.1 kHz: 8 slots of 4 bytes
  EXPECT_EQ(lengthOf(0xFB, 0x00), 0);    // free format
  EXPECT_EQ(lengthOf(0xFB, 0xF0), 0);    // forbidden bitrate index 15 ends a chain
  EXPECT_EQ(lengthOf(0xE3, 0x90), -1);   // MPEG-2.5
  EXPECT_EQ(lengthOf(0xEB, 0x90), -1);   // reserved version
  EXPECT_EQ(lengthOf(0xF9, 0x90), -1);   // reserved layer
  EXPECT_EQ(lengthOf(0xFB, 0x9C), -1);   // reserved sample rate
  EXPECT_EQ(lengthOf(0x7B, 0x90), -1);   // sync bits incomplete
}

TEST(Mp3Recogniser, FindsLameFilesWithAndWithoutTagsWithTheirLengths) {
  const auto plain = test::mediaFixture("plain.mp3");
  const auto tagged = test::mediaFixture("tagged.mp3");
  for (std::uint32_t unitSize : {512u, 4096u}) {
    SyntheticDisk disk(unitSize, 8);
    disk.noise(2);
    const std::uint64_t a = disk.place(plain);
    disk.zeros(1).noise(1);
    const std::uint64_t b = disk.place(tagged);
    disk.zeros(1);
    CMP3ype mp3;
    test::feedUnits(mp3, disk.bytes(), test::opts(unitSize));
    ASSERT_EQ(mp3.GetResults().size(), 2u) << unitSize;
    test::expectFile(&mp3.GetResults()[0], a, plain.size(), kChanceMayBeGood);
    test::expectFile(&mp3.GetResults()[1], b, tagged.size(), kChanceMayBeGood);
    EXPECT_EQ(disk.carve(mp3.GetResults()[1]), tagged);
  }
}

TEST(Mp3Recogniser, FourHundredNinetyNineFramesAreDropped) {
  SyntheticDisk disk(512);
  disk.place(frames(499, true));
  disk.zeros(2);
  CMP3ype mp3;
  test::feedUnits(mp3, disk.bytes());
  EXPECT_TRUE(mp3.GetResults().empty());
}

TEST(Mp3Recogniser, FiveHundredFramesAreKeptAndAnId3v1TagAddsItsBytes) {
  for (bool tag : {false, true}) {
    SyntheticDisk disk(512);
    disk.noise(1);
    disk.place(frames(500, tag));
    disk.zeros(2);
    CMP3ype mp3;
    test::feedUnits(mp3, disk.bytes());
    ASSERT_EQ(mp3.GetResults().size(), 1u);
    test::expectFile(&mp3.GetResults()[0], 1, 500 * kFrame128kLength + (tag ? 128 : 0), kChanceMayBeGood);
  }
}

TEST(Mp3Recogniser, Id3v2TagIsSkippedByItsSize) {
  // 1000 bytes of tag: the frames start inside the second unit.
  SyntheticDisk disk(512);
  const auto file = frames(520, false, 1000);
  disk.place(file);
  disk.zeros(1);
  CMP3ype mp3;
  test::feedUnits(mp3, disk.bytes());
  ASSERT_EQ(mp3.GetResults().size(), 1u);
  test::expectFile(&mp3.GetResults()[0], 0, file.size(), kChanceMayBeGood);
}

TEST(Mp3Recogniser, UnitsWithoutDataNeitherAdvanceNorEndTheFile) {
  // The disk holds a unit of foreign bytes inside the file's stream, and that unit is in use.
  const auto file = frames(600);
  std::vector<std::uint8_t> disk(file.begin(), file.begin() + 3 * 512);
  disk.resize(4 * 512, 0x77);
  disk.insert(disk.end(), file.begin() + 3 * 512, file.end());
  disk.resize(disk.size() + 1024, 0);
  CMP3ype mp3;
  test::feedUnits(mp3, disk, test::opts(512, {3}));
  ASSERT_EQ(mp3.GetResults().size(), 1u);
  test::expectFile(&mp3.GetResults()[0], 0, file.size(), kChanceMayBeGood);
}

TEST(Mp3Recogniser, NoStartIsTestedWhileAFileIsOpen) {
  // Unit 5 of the chain begins with what looks like an ID3v2 tag inside a frame's payload.
  auto file = frames(600);
  ASSERT_NE((5 * 512) % kFrame128kLength, 0u);
  std::memcpy(file.data() + 5 * 512, "ID3\x03\x00\x00\x00\x00\x00\x10", 10);
  SyntheticDisk disk(512);
  disk.place(file);
  disk.zeros(1);
  CMP3ype mp3;
  test::feedUnits(mp3, disk.bytes());
  ASSERT_EQ(mp3.GetResults().size(), 1u);
  test::expectFile(&mp3.GetResults()[0], 0, file.size(), kChanceMayBeGood);
}

TEST(Mp3Recogniser, TagHeaderWithFlagsOfSixteenOrMoreIsNoStart) {
  auto file = frames(520, false, 100);
  file[5] = 0x10;
  SyntheticDisk disk(512);
  disk.place(file);
  CMP3ype mp3;
  test::feedUnits(mp3, disk.bytes());
  EXPECT_TRUE(mp3.GetResults().empty());
}

}  // namespace
}  // namespace tarvosk
