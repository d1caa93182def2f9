// Which deleted files can be previewed as pictures, and the format their extension names.
#pragma once

#include <string_view>

namespace tarvosk {

enum class PictureFormat { None, Jpeg, Bmp, Gif, Png, Icon, Tiff, Targa, Pcx, WirelessBitmap, Pnm };

// The view-as-picture command is offered for names ending in .BMP, .JPG, .JPEG, .PNG, .GIF,
// .ICO, .TIF, .TIFF, .TGA, .PCX, .WBMP or .PNM, in any case.
bool passesPictureRule(std::u16string_view name);

// The decoder a name's extension chooses (None for every other extension).
PictureFormat pictureFormatOf(std::u16string_view name);

}  // namespace tarvosk
