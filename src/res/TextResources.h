// The program's longer texts, kept as resources of their own beside the string table: the scan
// wizard's descriptions of the three scan types.
#pragma once

#include <string_view>

namespace tarvosk {

namespace res {
constexpr unsigned IDR_BASIC_SCAN_TEXT = 253;
constexpr unsigned IDR_PHYSICAL_SCAN_TEXT = 254;
constexpr unsigned IDR_THOROUGH_SCAN_TEXT = 255;
}  // namespace res

// The text of a text resource; an empty view for an id that has none.
std::u16string_view loadTextResource(unsigned id);

}  // namespace tarvosk
