// Word documents: the compound files whose writing application the text "MSWord" names.
#pragma once

#include "types/CompoundDoc.h"

namespace tarvosk {

class CMSWordFilter : public CChildTypeFilter {
 public:
  explicit CMSWordFilter(CCompoundDoc* parent) : CChildTypeFilter(parent, CCompoundDoc::kWord) {}
  std::u16string_view GetExtension() const override { return u".doc"; }
  std::u16string_view GetName() const override { return u"Microsoft Word 文档"; }
  std::u16string_view GetCategory() const override { return u"文档"; }
};

}  // namespace tarvosk
