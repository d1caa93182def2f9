// PowerPoint presentations: the compound files whose writing application the text "PowerPoint" names.
#pragma once

#include "types/CompoundDoc.h"

namespace tarvosk {

class CPPTFilter : public CChildTypeFilter {
 public:
  explicit CPPTFilter(CCompoundDoc* parent) : CChildTypeFilter(parent, CCompoundDoc::kPowerPoint) {}
  std::u16string_view GetExtension() const override { return u".ppt"; }
  std::u16string_view GetName() const override { return u"Microsoft PowerPoint 文档"; }
  std::u16string_view GetCategory() const override { return u"文档"; }
};

}  // namespace tarvosk
