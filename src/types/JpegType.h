// JPEG pictures: found by the start-of-image marker; the segments are skipped by their declared
// lengths up to the start of scan, then the scan data is searched for the end-of-image marker.
#pragma once

#include "types/BoyerMoore.h"
#include "types/TypeFilter.h"

namespace tarvosk {

class CJpegType : public CPlainTypeFilter {
 public:
  CJpegType();
  void Reset() override;
  void Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) override;
  std::u16string_view GetExtension() const override { return u".jpg"; }
  std::u16string_view GetName() const override { return u"Jpeg 图像"; }
  std::u16string_view GetCategory() const override { return u"图像和数码相机"; }

 private:
  CarvedFile file_;
  bool inScan_ = false;     // the start-of-scan marker has been passed
  // Whether a marker is still to be visited, skip_ bytes from the current position (which may be
  // 0 when it lies at the first byte of the next unit).
  bool walking_ = false;
  std::uint32_t skip_ = 0;
  BoyerMoore endOfImage_;
};

}  // namespace tarvosk
