#include "types/OlympusRawType.h"

namespace tarvosk {

COlympusRawType::COlympusRawType(CTiffType* parent) : CChildTypeFilter(parent, CTiffType::kOlympus) {}
std::u16string_view COlympusRawType::GetExtension() const { return u".orf"; }
std::u16string_view COlympusRawType::GetName() const { return u"Olympus 原始图像"; }
std::u16string_view COlympusRawType::GetCategory() const { return u"图像和数码相机"; }

}  // namespace tarvosk
