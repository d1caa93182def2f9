#include "viewers/PcxDecoder.h"

#include <array>

#include "platform/ByteOrder.h"

namespace tarvosk {

namespace {

// Header fields.
constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kManufacturer = 0;   // 0x0A
constexpr std::size_t kEncoding = 2;       // 1: run-length coded; 0: plain
constexpr std::size_t kBitsPerPixel = 3;   // per plane
constexpr std::size_t kXMin = 4, kYMin = 6, kXMax = 8, kYMax = 10;
constexpr std::size_t kHeaderPalette = 16;  // 16 colours, 3 bytes each
constexpr std::size_t kPlanes = 65;
constexpr std::size_t kBytesPerLine = 66;  // per plane
// An 8-bit picture's 256 colours follow the data after this marker byte.
constexpr std::size_t kTrailingPaletteSize = 1 + 256 * 3;
constexpr std::uint8_t kTrailingPaletteMarker = 0x0C;
// One run code (2 bytes) expands to at most 63 bytes: data shorter than the lines need by more
// than that cannot be a picture of the size the header claims.
constexpr std::uint64_t kMaxExpansion = 32;

using Palette = std::array<std::uint32_t, 256>;

struct Layout {
  std::uint32_t width = 0, height = 0;
  unsigned bits = 0, planes = 0;
  std::uint32_t bytesPerLine = 0;
  bool coded = true;
};

bool readLayout(std::span<const std::uint8_t> bytes, Layout& layout) {
  if (bytes.size() < kHeaderSize || bytes[kManufacturer] != 0x0A || bytes[kEncoding] > 1) return false;
  const std::uint16_t xMin = le16(bytes, kXMin), yMin = le16(bytes, kYMin), xMax = le16(bytes, kXMax), yMax = le16(bytes, kYMax);
  if (xMax < xMin || yMax < yMin) return false;
  layout.width = std::uint32_t{xMax} - xMin + 1;
  layout.height = std::uint32_t{yMax} - yMin + 1;
  layout.bits = bytes[kBitsPerPixel];
  layout.planes = bytes[kPlanes];
  layout.bytesPerLine = le16(bytes, kBytesPerLine);
  layout.coded = bytes[kEncoding] == 1;
  const bool palette = layout.planes == 1 && (layout.bits == 1 || layout.bits == 2 || layout.bits == 4 || layout.bits == 8);
  const bool bitPlanes = layout.bits == 1 && layout.planes >= 2 && layout.planes <= 4;
  const bool trueColour = layout.bits == 8 && (layout.planes == 3 || layout.planes == 4);
  if (!palette && !bitPlanes && !trueColour) return false;
  if (std::uint64_t{layout.bytesPerLine} * 8 < std::uint64_t{layout.width} * layout.bits) return false;
  if (!isDecodableSize(layout.width, layout.height)) return false;
  const std::uint64_t lineBytes = std::uint64_t{layout.bytesPerLine} * layout.planes * layout.height;
  const std::uint64_t data = bytes.size() - kHeaderSize;
  return lineBytes <= (layout.coded ? data * kMaxExpansion : data);
}

// The colours of a palette picture: the 256 at the end of an 8-bit file (grey without them), or
// the header's 16.
Palette paletteOf(std::span<const std::uint8_t> bytes, const Layout& layout) {
  Palette palette{};
  if (layout.bits == 8 && layout.planes == 1) {
    const bool trailing = bytes.size() >= kHeaderSize + kTrailingPaletteSize &&
                          bytes[bytes.size() - kTrailingPaletteSize] == kTrailingPaletteMarker;
    const std::uint8_t* colours = trailing ? bytes.data() + bytes.size() - kTrailingPaletteSize + 1 : nullptr;
    for (unsigned i = 0; i < 256; ++i) {
      auto grey = static_cast<std::uint8_t>(i);
      palette[i] = trailing ? opaquePixel(colours[i * 3], colours[i * 3 + 1], colours[i * 3 + 2]) : opaquePixel(grey, grey, grey);
    }
    return palette;
  }
  for (unsigned i = 0; i < 16; ++i) {
    const std::uint8_t* c = bytes.data() + kHeaderPalette + i * 3;
    palette[i] = opaquePixel(c[0], c[1], c[2]);
  }
  // Writers of black and white pictures often leave the header's colours empty.
  if (layout.bits == 1 && layout.planes == 1 && palette[0] == palette[1]) {
    palette[0] = opaquePixel(0, 0, 0);
    palette[1] = opaquePixel(255, 255, 255);
  }
  return palette;
}

// The data stream, run-length decoded: runs may go on from one line into the next.
class LineReader {
 public:
  LineReader(std::span<const std::uint8_t> data, bool coded) : data_(data), coded_(coded) {}
  bool fill(std::span<std::uint8_t> line) {
    for (std::uint8_t& byte : line) {
      // An empty run codes nothing: the next code is taken for the same byte. Each turn
      // consumes input, so this ends with the data.
      while (repeat_ == 0) {
        if (at_ >= data_.size()) return false;
        std::uint8_t code = data_[at_++];
        repeat_ = 1;
        if (coded_ && (code & 0xC0) == 0xC0) {
          if (at_ >= data_.size()) return false;
          repeat_ = code & 0x3F;
          code = data_[at_++];
        }
        value_ = code;
      }
      byte = value_;
      --repeat_;
    }
    return true;
  }

 private:
  std::span<const std::uint8_t> data_;
  bool coded_;
  std::size_t at_ = 0;
  unsigned repeat_ = 0;
  std::uint8_t value_ = 0;
};

}  // namespace

bool decodePcx(std::span<const std::uint8_t> bytes, DecodedPicture& out) {
  out = DecodedPicture{};
  Layout layout;
  if (!readLayout(bytes, layout)) return false;
  const Palette palette = paletteOf(bytes, layout);
  LineReader reader(bytes.subspan(kHeaderSize), layout.coded);
  std::vector<std::uint8_t> line(std::size_t{layout.bytesPerLine} * layout.planes);
  std::vector<std::uint32_t> pixels(std::size_t{layout.width} * layout.height);
  const std::uint32_t stride = layout.bytesPerLine;
  for (std::uint32_t y = 0; y < layout.height; ++y) {
    if (!reader.fill(line)) return false;
    std::uint32_t* row = pixels.data() + std::size_t{y} * layout.width;
    for (std::uint32_t x = 0; x < layout.width; ++x) {
      if (layout.bits == 8 && layout.planes >= 3) {
        const std::uint8_t alpha = layout.planes == 4 ? line[3 * stride + x] : 0xFF;
        row[x] = (std::uint32_t{alpha} << 24) | (opaquePixel(line[x], line[stride + x], line[2 * stride + x]) & 0xFFFFFF);
      } else if (layout.planes == 1) {
        // Pixels of 1, 2, 4 or 8 bits, the first in the highest bits of its byte.
        const std::uint32_t bit = x * layout.bits;
        const unsigned shift = 8 - layout.bits - bit % 8;
        row[x] = palette[(line[bit / 8] >> shift) & ((1u << layout.bits) - 1)];
      } else {
        // One bit of the index in each plane.
        unsigned index = 0;
        for (unsigned p = 0; p < layout.planes; ++p) index |= ((line[p * stride + x / 8] >> (7 - x % 8)) & 1u) << p;
        row[x] = palette[index];
      }
    }
  }
  out.width = layout.width;
  out.height = layout.height;
  out.pixels = std::move(pixels);
  return true;
}

}  // namespace tarvosk
