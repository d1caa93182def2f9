#include "types/KodakRawType.h"

namespace tarvosk {

CKodakRawType::CKodakRawType(CTiffType* parent) : CChildTypeFilter(parent, CTiffType::kKodak) {}
std::u16string_view CKodakRawType::GetExtension() const { return u".dcr"; }
std::u16string_view CKodakRawType::GetName() const { return u"Kodak 原始图像"; }
std::u16string_view CKodakRawType::GetCategory() const { return u"图像和数码相机"; }

}  // namespace tarvosk
