#include "viewers/PictureDecoding.h"

#include "viewers/JpegDecoder.h"
#include "viewers/PcxDecoder.h"
#include "viewers/PngDecoder.h"
#include "viewers/TiffDecoder.h"

namespace tarvosk {

bool isDecodedByCore(PictureFormat format) {
  return format == PictureFormat::Jpeg || format == PictureFormat::Png || format == PictureFormat::Tiff ||
         format == PictureFormat::Pcx;
}

bool decodePicture(PictureFormat format, std::span<const std::uint8_t> bytes, DecodedPicture& out,
                   std::uint32_t fitWidth, std::uint32_t fitHeight) {
  switch (format) {
    case PictureFormat::Jpeg: return decodeJpeg(bytes, out, fitWidth, fitHeight);
    case PictureFormat::Png: return decodePng(bytes, out);
    case PictureFormat::Tiff: return decodeTiff(bytes, out);
    case PictureFormat::Pcx: return decodePcx(bytes, out);
    default: out = DecodedPicture{}; return false;
  }
}

}  // namespace tarvosk
