#include "viewers/JpegDecoder.h"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace tarvosk {

namespace {

static_assert(std::endian::native == std::endian::little, "BGRA bytes are 0xAARRGGBB words on little-endian hosts only");

// A progressive JPEG may hold any number of scans, each a pass over the whole picture.
constexpr int kMaxScans = 1000;

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf failed;
  bool endedEarly = false;
};

[[noreturn]] void onError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->failed, 1); }

// Warnings are quiet; the one that says the data ended early makes the picture a failure (the
// library would fill the rest with grey).
void onMessage(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) reinterpret_cast<ErrorManager*>(info->err)->endedEarly = true;
}

void onProgress(j_common_ptr info) {
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) onError(info);
}

// The largest reduction (8, 4, 2 or 1) that still covers the fit.
unsigned scaleDenominator(const jpeg_decompress_struct& info, std::uint32_t fitWidth, std::uint32_t fitHeight) {
  if (fitWidth == 0 || fitHeight == 0) return 1;
  for (unsigned d : {8u, 4u, 2u})
    if ((info.image_width + d - 1) / d >= fitWidth && (info.image_height + d - 1) / d >= fitHeight) return d;
  return 1;
}

std::uint32_t fromInvertedCmyk(const JSAMPLE* p) {
  // Adobe's CMYK JPEGs store the inks inverted: 255 is no ink.
  unsigned k = p[3];
  return opaquePixel(static_cast<std::uint8_t>(p[0] * k / 255), static_cast<std::uint8_t>(p[1] * k / 255),
                     static_cast<std::uint8_t>(p[2] * k / 255));
}

// Only plain locals live in this frame: the library's errors jump back into it.
bool decodeInto(jpeg_decompress_struct& info, ErrorManager& errors, jpeg_progress_mgr& progress,
                std::span<const std::uint8_t> bytes, DecodedPicture& out, std::vector<JSAMPLE>& row,
                std::uint32_t fitWidth, std::uint32_t fitHeight) {
  if (setjmp(errors.failed)) return false;
  jpeg_create_decompress(&info);  // clears everything but the error manager
  info.progress = &progress;
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  info.scale_num = 1;
  info.scale_denom = scaleDenominator(info, fitWidth, fitHeight);
  jpeg_calc_output_dimensions(&info);
  if (!isDecodableSize(info.output_width, info.output_height)) return false;
  jpeg_start_decompress(&info);
  out.width = info.output_width;
  out.height = info.output_height;
  out.pixels.resize(std::size_t{out.width} * out.height);
  if (cmyk) row.resize(std::size_t{out.width} * 4);
  while (info.output_scanline < info.output_height) {
    std::uint32_t* target = out.pixels.data() + std::size_t{info.output_scanline} * out.width;
    JSAMPROW line = cmyk ? row.data() : reinterpret_cast<JSAMPROW>(target);
    if (jpeg_read_scanlines(&info, &line, 1) != 1) return false;
    if (cmyk)
      for (std::uint32_t x = 0; x < out.width; ++x) target[x] = fromInvertedCmyk(row.data() + std::size_t{x} * 4);
  }
  jpeg_finish_decompress(&info);
  return !errors.endedEarly;
}

}  // namespace

bool decodeJpeg(std::span<const std::uint8_t> bytes, DecodedPicture& out, std::uint32_t fitWidth, std::uint32_t fitHeight) {
  out = DecodedPicture{};
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = onError;
  errors.base.emit_message = onMessage;
  jpeg_progress_mgr progress{};
  progress.progress_monitor = onProgress;
  std::vector<JSAMPLE> row;
  const bool decoded = !bytes.empty() && decodeInto(info, errors, progress, bytes, out, row, fitWidth, fitHeight);
  jpeg_destroy_decompress(&info);
  if (!decoded) out = DecodedPicture{};
  return decoded;
}

}  // namespace tarvosk
