// Publisher documents: the compound files whose writing application the text "Microsoft Publisher" names.
#pragma once

#include "types/CompoundDoc.h"

namespace tarvosk {

class CPublisherFilter : public CChildTypeFilter {
 public:
  explicit CPublisherFilter(CCompoundDoc* parent) : CChildTypeFilter(parent, CCompoundDoc::kPublisher) {}
  std::u16string_view GetExtension() const override { return u".pub"; }
  std::u16string_view GetName() const override { return u"Microsoft Publisher 文档"; }
  std::u16string_view GetCategory() const override { return u"文档"; }
};

}  // namespace tarvosk
