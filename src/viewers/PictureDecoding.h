// The decoders of the formats that the core decodes itself (JPEG, PNG, TIFF, PCX), chosen by
// format. The front end decodes the others (BMP, GIF, icons, Targa, wireless bitmaps, PNM) with
// its own readers.
#pragma once

#include <cstdint>
#include <span>

#include "viewers/DecodedPicture.h"
#include "viewers/PictureFormat.h"

namespace tarvosk {

bool isDecodedByCore(PictureFormat format);

// False, with out empty, when the bytes are not a whole picture of that format or the format is
// not the core's. A JPEG may come out reduced, never below fitWidth × fitHeight.
bool decodePicture(PictureFormat format, std::span<const std::uint8_t> bytes, DecodedPicture& out,
                   std::uint32_t fitWidth = 0, std::uint32_t fitHeight = 0);

}  // namespace tarvosk
