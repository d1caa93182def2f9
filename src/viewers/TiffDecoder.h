// TIFF pictures through libtiff.
#pragma once

#include <cstdint>
#include <span>

#include "viewers/DecodedPicture.h"

namespace tarvosk {

// Decodes the first picture of a TIFF. False, with out empty, for a damaged or short file or a
// size beyond what may be allocated.
bool decodeTiff(std::span<const std::uint8_t> bytes, DecodedPicture& out);

}  // namespace tarvosk
