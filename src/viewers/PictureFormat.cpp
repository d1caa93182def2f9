#include "viewers/PictureFormat.h"

#include "platform/CaseFolding.h"

namespace tarvosk {

namespace {

bool endsWithIgnoreCase(std::u16string_view name, std::u16string_view suffix) {
  return name.size() >= suffix.size() && equalsIgnoreCase(name.substr(name.size() - suffix.size()), suffix);
}

struct ExtensionFormat {
  std::u16string_view extension;
  PictureFormat format;
};

constexpr ExtensionFormat kFormats[] = {
    {u".jpg", PictureFormat::Jpeg}, {u".jpeg", PictureFormat::Jpeg}, {u".bmp", PictureFormat::Bmp},
    {u".gif", PictureFormat::Gif},  {u".png", PictureFormat::Png},   {u".ico", PictureFormat::Icon},
    {u".tif", PictureFormat::Tiff}, {u".tiff", PictureFormat::Tiff}, {u".tga", PictureFormat::Targa},
    {u".pcx", PictureFormat::Pcx},  {u".wbmp", PictureFormat::WirelessBitmap}, {u".pnm", PictureFormat::Pnm},
};

}  // namespace

bool passesPictureRule(std::u16string_view name) { return pictureFormatOf(name) != PictureFormat::None; }

PictureFormat pictureFormatOf(std::u16string_view name) {
  for (const ExtensionFormat& f : kFormats)
    if (endsWithIgnoreCase(name, f.extension)) return f.format;
  return PictureFormat::None;
}

}  // namespace tarvosk
