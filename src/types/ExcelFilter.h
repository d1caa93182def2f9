// Excel workbooks: the compound files whose writing application the text "Excel" names.
#pragma once

#include "types/CompoundDoc.h"

namespace tarvosk {

class CExcelFilter : public CChildTypeFilter {
 public:
  explicit CExcelFilter(CCompoundDoc* parent) : CChildTypeFilter(parent, CCompoundDoc::kExcel) {}
  std::u16string_view GetExtension() const override { return u".xls"; }
  std::u16string_view GetName() const override { return u"Microsoft Excel 文档"; }
  std::u16string_view GetCategory() const override { return u"文档"; }
};

}  // namespace tarvosk
