// Canon CRW camera raw images (CIFF heaps): found by the "HEAPCCDR" header; the file ends with
// the root heap's trailer, which points back at the root heap's table.
#pragma once

#include <array>

#include "types/TypeFilter.h"

namespace tarvosk {

class CCanonRawType : public CPlainTypeFilter {
 public:
  static constexpr std::size_t kCarryBytes = 256;

  void Reset() override;
  void Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) override;
  std::u16string_view GetExtension() const override { return u".crw"; }
  std::u16string_view GetName() const override { return u"Canon 原始图像"; }
  std::u16string_view GetCategory() const override { return u"图像和数码相机"; }

 private:
  // The file's length through its trailer, or 0 when the unit holds no trailer.
  std::uint64_t findTrailer(const std::uint8_t* data, std::uint32_t unitSize) const;
  void carry(const std::uint8_t* data, std::uint32_t unitSize);

  CarvedFile file_;
  bool littleEndian_ = true;
  // The last bytes of the previous available unit: file position x is at x - (length - 256).
  std::array<std::uint8_t, kCarryBytes> carried_{};
};

}  // namespace tarvosk
