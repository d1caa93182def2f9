// The core's decoders against pictures made by real tools: JPEG as djpeg decodes it, PNG, TIFF
// and the four PCX forms as the drawing they were made from; anything short or foreign fails.
#include <gtest/gtest.h>

#include <sstream>

#include "support/TestSupport.h"
#include "viewers/PictureDecoding.h"

namespace tarvosk::test {
namespace {

std::vector<std::uint8_t> file(const std::string& name) { return readWholeFile(fixturePath("preview-files/" + name)); }

// A binary PPM (P6, maxval 255) as ImageMagick and djpeg write it.
DecodedPicture ppm(const std::string& name) {
  std::vector<std::uint8_t> bytes = file(name);
  std::istringstream header(std::string(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 64)));
  std::string magic;
  unsigned width = 0, height = 0, maxval = 0;
  header >> magic >> width >> height >> maxval;
  EXPECT_EQ(magic, "P6");
  EXPECT_EQ(maxval, 255u);
  const std::size_t start = static_cast<std::size_t>(header.tellg()) + 1;
  EXPECT_EQ(bytes.size(), start + std::size_t{width} * height * 3) << name;
  DecodedPicture picture{width, height, {}};
  for (std::size_t i = 0; i < std::size_t{width} * height && start + i * 3 + 2 < bytes.size(); ++i)
    picture.pixels.push_back(opaquePixel(bytes[start + i * 3], bytes[start + i * 3 + 1], bytes[start + i * 3 + 2]));
  return picture;
}

void expectSame(const DecodedPicture& got, const DecodedPicture& want, const std::string& name) {
  ASSERT_EQ(got.width, want.width) << name;
  ASSERT_EQ(got.height, want.height) << name;
  std::size_t differing = 0;
  for (std::size_t i = 0; i < want.pixels.size(); ++i) differing += got.pixels[i] != want.pixels[i];
  EXPECT_EQ(differing, 0u) << name;
}

TEST(PictureDecoding, EveryFormatDecodesToThePixelsItWasMadeFrom) {
  const struct {
    PictureFormat format;
    const char* file;
    const char* reference;
  } cases[] = {
      {PictureFormat::Jpeg, "photo.jpg", "photo-djpeg.ppm"},  {PictureFormat::Png, "picture.png", "source.ppm"},
      {PictureFormat::Tiff, "picture.tif", "source.ppm"},     {PictureFormat::Pcx, "picture.pcx", "source.ppm"},
      {PictureFormat::Pcx, "truecolour.pcx", "source.ppm"},   {PictureFormat::Pcx, "planes.pcx", "source16.ppm"},
      {PictureFormat::Pcx, "mono.pcx", "mono.ppm"},
  };
  for (const auto& c : cases) {
    DecodedPicture picture;
    ASSERT_TRUE(decodePicture(c.format, file(c.file), picture)) << c.file;
    expectSame(picture, ppm(c.reference), c.file);
  }
}

TEST(PictureDecoding, AJpegIsDecodedAsSmallAsTheFitAllows) {
  DecodedPicture picture;
  ASSERT_TRUE(decodePicture(PictureFormat::Jpeg, file("photo.jpg"), picture, 40, 30));
  EXPECT_EQ(picture.width, 40u) << "160 by 120 at a quarter";
  EXPECT_EQ(picture.height, 30u);
  ASSERT_TRUE(decodePicture(PictureFormat::Jpeg, file("photo.jpg"), picture, 41, 30));
  EXPECT_EQ(picture.width, 80u);
  ASSERT_TRUE(decodePicture(PictureFormat::Jpeg, file("photo.jpg"), picture, 400, 300));
  EXPECT_EQ(picture.width, 160u) << "never enlarged";
}

TEST(PictureDecoding, ShortOrForeignBytesDecodeToNothing) {
  const std::vector<std::uint8_t> random = file("random.jpg");
  auto cut = [](std::vector<std::uint8_t> bytes) {
    bytes.resize(bytes.size() / 2);
    return bytes;
  };
  const struct {
    PictureFormat format;
    std::vector<std::uint8_t> bytes;
    const char* what;
  } cases[] = {
      {PictureFormat::Jpeg, file("cut.jpg"), "a JPEG cut short"},     {PictureFormat::Jpeg, random, "random bytes"},
      {PictureFormat::Png, cut(file("picture.png")), "a PNG cut short"}, {PictureFormat::Png, random, "random bytes"},
      {PictureFormat::Tiff, cut(file("picture.tif")), "a TIFF cut short"}, {PictureFormat::Tiff, random, "random bytes"},
      {PictureFormat::Pcx, cut(file("picture.pcx")), "a PCX cut short"}, {PictureFormat::Pcx, random, "random bytes"},
      {PictureFormat::Jpeg, file("picture.png"), "a PNG named .jpg"},  {PictureFormat::Bmp, file("picture.bmp"), "not the core's"},
      {PictureFormat::Jpeg, {}, "nothing"},
  };
  for (const auto& c : cases) {
    DecodedPicture picture{1, 1, {0}};
    EXPECT_FALSE(decodePicture(c.format, c.bytes, picture)) << c.what;
    EXPECT_TRUE(picture.pixels.empty() && picture.width == 0) << c.what;
  }
}

TEST(PictureDecoding, APcxHeaderClaimingMoreThanItsDataCanHoldIsRefused) {
  std::vector<std::uint8_t> bytes = file("picture.pcx");
  // xMax and yMax of 65535: 4 billion pixels from 8 KB of data.
  bytes[8] = bytes[9] = bytes[10] = bytes[11] = 0xFF;
  DecodedPicture picture;
  EXPECT_FALSE(decodePicture(PictureFormat::Pcx, bytes, picture));
}

TEST(PictureDecoding, AnEmptyPcxRunCodesNoPixel) {
  // Two grey pixels of 8 bits (no palette at the end), coded as an empty run of 0x55, then 7
  // and 9: no writer makes the empty run, but it is a valid code.
  std::vector<std::uint8_t> bytes(128, 0);
  bytes[0] = 0x0A;
  bytes[1] = 5;
  bytes[2] = 1;
  bytes[3] = 8;
  bytes[8] = 1;    // xMax
  bytes[65] = 1;   // planes
  bytes[66] = 2;   // bytes per line
  bytes.insert(bytes.end(), {0xC0, 0x55, 0x07, 0x09});
  DecodedPicture picture;
  ASSERT_TRUE(decodePicture(PictureFormat::Pcx, bytes, picture));
  EXPECT_EQ(picture.pixels, (std::vector<std::uint32_t>{opaquePixel(7, 7, 7), opaquePixel(9, 9, 9)}));
}

}  // namespace
}  // namespace tarvosk::test
