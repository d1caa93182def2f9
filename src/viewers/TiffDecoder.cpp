#include "viewers/TiffDecoder.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <memory>

#include <tiffio.h>

namespace tarvosk {

namespace {

// The library allocates no more than this at once, whatever the file's fields claim.
constexpr tmsize_t kMaxAllocation = 256 * 1024 * 1024;

// The file's bytes as the library reads them.
struct MemoryFile {
  std::span<const std::uint8_t> bytes;
  toff_t position = 0;
};

MemoryFile& fileOf(thandle_t handle) { return *static_cast<MemoryFile*>(handle); }

tmsize_t readFile(thandle_t handle, void* buffer, tmsize_t size) {
  MemoryFile& file = fileOf(handle);
  if (size <= 0 || file.position >= file.bytes.size()) return 0;
  std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size), file.bytes.size() - file.position);
  std::memcpy(buffer, file.bytes.data() + file.position, n);
  file.position += n;
  return static_cast<tmsize_t>(n);
}

tmsize_t refuseWrite(thandle_t, void*, tmsize_t) { return 0; }

toff_t seekFile(thandle_t handle, toff_t offset, int whence) {
  MemoryFile& file = fileOf(handle);
  toff_t base = whence == SEEK_CUR ? file.position : whence == SEEK_END ? file.bytes.size() : 0;
  if (offset > ~toff_t{0} - base) return static_cast<toff_t>(-1);
  file.position = base + offset;
  return file.position;
}

int closeFile(thandle_t) { return 0; }
toff_t sizeOfFile(thandle_t handle) { return fileOf(handle).bytes.size(); }
int noMapping(thandle_t, void**, toff_t*) { return 0; }
void noUnmapping(thandle_t, void*, toff_t) {}
// Errors and warnings are the file's, not the user's: nothing is printed.
int quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

std::uint32_t argbOf(std::uint32_t abgr) {
  return (TIFFGetA(abgr) << 24) | (TIFFGetR(abgr) << 16) | (TIFFGetG(abgr) << 8) | TIFFGetB(abgr);
}

}  // namespace

bool decodeTiff(std::span<const std::uint8_t> bytes, DecodedPicture& out) {
  out = DecodedPicture{};
  std::unique_ptr<TIFFOpenOptions, decltype(&TIFFOpenOptionsFree)> options(TIFFOpenOptionsAlloc(), TIFFOpenOptionsFree);
  if (!options) return false;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxAllocation);
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), quiet, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), quiet, nullptr);
  MemoryFile file{bytes};
  // "m": read through the procedures above, never a mapping.
  std::unique_ptr<TIFF, decltype(&TIFFClose)> tiff(
      TIFFClientOpenExt("picture", "rm", &file, readFile, refuseWrite, seekFile, closeFile, sizeOfFile, noMapping,
                        noUnmapping, options.get()),
      TIFFClose);
  if (!tiff) return false;
  std::uint32_t width = 0, height = 0;
  if (!TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height) ||
      !isDecodableSize(width, height))
    return false;
  std::vector<std::uint32_t> raster(std::size_t{width} * height);
  if (!TIFFReadRGBAImageOriented(tiff.get(), width, height, raster.data(), ORIENTATION_TOPLEFT, 1)) return false;
  for (std::uint32_t& pixel : raster) pixel = argbOf(pixel);
  out.width = width;
  out.height = height;
  out.pixels = std::move(raster);
  return true;
}

}  // namespace tarvosk
