#include "platform/DiskGeometry.h"

namespace tarvosk {

Geometry exactGeometry(std::uint64_t totalSectors) {
  Geometry best{totalSectors, 1, 1};
  if (totalSectors == 0) return Geometry{0, 1, 1};
  std::uint32_t bestProduct = 1;
  for (std::uint32_t sectors = 63; sectors >= 1; --sectors) {
    if (totalSectors % sectors != 0) continue;
    for (std::uint32_t heads = 255; heads >= 1; --heads) {
      std::uint32_t product = heads * sectors;
      if (product <= bestProduct) break;
      if (totalSectors % product == 0) {
        best = Geometry{totalSectors / product, heads, sectors};
        bestProduct = product;
        break;
      }
    }
  }
  return best;
}

}  // namespace tarvosk
