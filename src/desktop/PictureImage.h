// A picture file's bytes decoded by its format: JPEG, PNG, TIFF and PCX by the core's decoders,
// the others by Qt's image readers.
#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <span>

#include "viewers/PictureFormat.h"

namespace tarvosk {

// A null image when the bytes are not a picture of that format. fit: the size it will be shown
// at (a JPEG may be decoded smaller, never below it); empty for the full size.
QImage decodePictureImage(PictureFormat format, std::span<const std::uint8_t> bytes, QSize fit = {});

// picture scaled to fit into size, its aspect kept, centred on white.
QImage fitOnWhite(const QImage& picture, QSize size);

}  // namespace tarvosk
