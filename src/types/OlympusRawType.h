// Olympus ORF camera raw images: TIFF files whose Make tag names the maker. The TIFF recogniser finds them; this type
// presents its list of them.
#pragma once

#include "types/TiffType.h"

namespace tarvosk {

class COlympusRawType : public CChildTypeFilter {
 public:
  explicit COlympusRawType(CTiffType* parent);
  std::u16string_view GetExtension() const override;
  std::u16string_view GetName() const override;
  std::u16string_view GetCategory() const override;
};

}  // namespace tarvosk
