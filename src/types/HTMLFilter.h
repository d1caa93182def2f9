// HTML files: text runs that begin with "<htm" or "<!DOCTYPE".
#pragma once

#include "types/TextDoc.h"

namespace tarvosk {

class CHTMLFilter : public CChildTypeFilter {
 public:
  explicit CHTMLFilter(CTextDoc* parent) : CChildTypeFilter(parent, CTextDoc::kHtml) {}
  std::u16string_view GetExtension() const override { return u".html"; }
  std::u16string_view GetName() const override { return u"HTML 文件"; }
  std::u16string_view GetCategory() const override { return u"文档"; }
};

}  // namespace tarvosk
