// PCX pictures: the run-length coded paintbrush format, in its 1-, 2-, 4- and 8-bit palette,
// 16-colour plane, grey and 24- and 32-bit forms.
#pragma once

#include <cstdint>
#include <span>

#include "viewers/DecodedPicture.h"

namespace tarvosk {

// False, with out empty, for a header of no known form, data that ends before the last line, or
// a size that the data cannot fill.
bool decodePcx(std::span<const std::uint8_t> bytes, DecodedPicture& out);

}  // namespace tarvosk
