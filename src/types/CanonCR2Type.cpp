#include "types/CanonCR2Type.h"

namespace tarvosk {

CCanonCR2Type::CCanonCR2Type(CTiffType* parent) : CChildTypeFilter(parent, CTiffType::kCanon) {}
std::u16string_view CCanonCR2Type::GetExtension() const { return u".cr2"; }
std::u16string_view CCanonCR2Type::GetName() const { return u"Canon 原始图像"; }
std::u16string_view CCanonCR2Type::GetCategory() const { return u"图像和数码相机"; }

}  // namespace tarvosk
