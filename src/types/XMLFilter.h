// XML files: text runs that begin with "<?xml".
#pragma once

#include "types/TextDoc.h"

namespace tarvosk {

class CXMLFilter : public CChildTypeFilter {
 public:
  explicit CXMLFilter(CTextDoc* parent) : CChildTypeFilter(parent, CTextDoc::kXml) {}
  std::u16string_view GetExtension() const override { return u".xml"; }
  std::u16string_view GetName() const override { return u"XML 文件"; }
  std::u16string_view GetCategory() const override { return u"文档"; }
};

}  // namespace tarvosk
