#include "types/NikonRawType.h"

namespace tarvosk {

CNikonRawType::CNikonRawType(CTiffType* parent) : CChildTypeFilter(parent, CTiffType::kNikon) {}
std::u16string_view CNikonRawType::GetExtension() const { return u".nef"; }
std::u16string_view CNikonRawType::GetName() const { return u"Nikon 原始图像"; }
std::u16string_view CNikonRawType::GetCategory() const { return u"图像和数码相机"; }

}  // namespace tarvosk
