// RTF documents: text runs that begin with "{\rtf".
#pragma once

#include "types/TextDoc.h"

namespace tarvosk {

class CRTFFilter : public CChildTypeFilter {
 public:
  explicit CRTFFilter(CTextDoc* parent) : CChildTypeFilter(parent, CTextDoc::kRtf) {}
  std::u16string_view GetExtension() const override { return u".rtf"; }
  std::u16string_view GetName() const override { return u"RTF 文档"; }
  std::u16string_view GetCategory() const override { return u"文档"; }
};

}  // namespace tarvosk
