#include "desktop/PictureImage.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <cstring>

#include "viewers/PictureDecoding.h"

namespace tarvosk {

namespace {

// Qt's reader for the formats the core leaves to it.
const char* qtFormatName(PictureFormat format) {
  switch (format) {
    case PictureFormat::Bmp: return "bmp";
    case PictureFormat::Gif: return "gif";
    case PictureFormat::Icon: return "ico";
    case PictureFormat::WirelessBitmap: return "wbmp";
    case PictureFormat::Pnm: return "ppm";  // Qt's portable anymap reader takes every P1 to P6
    default: return nullptr;
  }
}

QImage viaQt(const char* formatName, const QByteArray& data) {
  QBuffer buffer;
  buffer.setData(data);  // shares the bytes
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, formatName);
  // The extension chose the format; bytes of another format are not a picture of this one.
  reader.setAutoDetectImageFormat(false);
  reader.setDecideFormatFromContent(false);
  return reader.read();
}

// Qt's Targa reader takes only files that end in the footer of the format's second version,
// which most writers leave off, and reads the pixels as if no image id came before them. So it
// reads a copy without the id and with a footer that points at no extension or developer area.
QImage targaViaQt(std::span<const std::uint8_t> bytes) {
  constexpr qsizetype kIdLength = 0, kHeaderSize = 18;
  static const QByteArray signature("TRUEVISION-XFILE.", 18);
  QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  const qsizetype idLength = data.isEmpty() ? 0 : static_cast<std::uint8_t>(data[kIdLength]);
  if (data.size() < kHeaderSize + idLength) return {};
  data.remove(kHeaderSize, idLength);
  data[kIdLength] = 0;
  if (!data.endsWith(signature)) {
    data.append(8, '\0');
    data.append(signature);
  }
  return viaQt("tga", data);
}

}  // namespace

QImage decodePictureImage(PictureFormat format, std::span<const std::uint8_t> bytes, QSize fit) {
  if (isDecodedByCore(format)) {
    DecodedPicture decoded;
    if (!decodePicture(format, bytes, decoded, static_cast<std::uint32_t>(std::max(0, fit.width())),
                       static_cast<std::uint32_t>(std::max(0, fit.height()))))
      return {};
    QImage image(static_cast<int>(decoded.width), static_cast<int>(decoded.height), QImage::Format_ARGB32);
    if (image.isNull()) return {};
    for (int y = 0; y < image.height(); ++y)
      std::memcpy(image.scanLine(y), decoded.pixels.data() + static_cast<std::size_t>(y) * decoded.width, decoded.width * 4u);
    return image;
  }
  if (format == PictureFormat::Targa) return targaViaQt(bytes);
  const char* name = qtFormatName(format);
  if (!name) return {};
  return viaQt(name, QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
}

QImage fitOnWhite(const QImage& picture, QSize size) {
  QImage canvas(size, QImage::Format_RGB32);
  canvas.fill(Qt::white);
  if (picture.isNull() || size.isEmpty()) return canvas;
  const QSize scaled = picture.size().scaled(size, Qt::KeepAspectRatio);
  QPainter painter(&canvas);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRect(QPoint((size.width() - scaled.width()) / 2, (size.height() - scaled.height()) / 2), scaled), picture);
  return canvas;
}

}  // namespace tarvosk
