#include "res/TextResources.h"

namespace tarvosk {

std::u16string_view loadTextResource(unsigned id) {
  switch (id) {
    case res::IDR_BASIC_SCAN_TEXT:
      return u"基本扫描是最快、最可靠的扫描方式。它能恢复文件原来的文件夹结构和文件名。\n\n"
             u"但是，它不适用于已重新格式化、已重新分区、未分区或文件系统不受支持的驱动器，"
             u"而且不一定能找到所有的文件。";
    case res::IDR_PHYSICAL_SCAN_TEXT:
      return u"物理扫描能从已重新格式化的卷中恢复文件，还能找到基本扫描遗漏的文件。\n\n"
             u"但是，它不适用于已重新分区或未分区的卷；它只查找预先定义的文件类型，"
             u"不能恢复文件名和文件夹；它所需的时间长得多，可靠性也较低。";
    case res::IDR_THOROUGH_SCAN_TEXT:
      return u"彻底物理扫描能从已重新分区、未分区和文件系统不受支持的卷和驱动器中恢复文件。\n\n"
             u"但是，它只查找预先定义的文件类型，不能恢复文件名和文件夹，而且需要很长的时间。";
    default: return {};
  }
}

}  // namespace tarvosk
