#include "search/LookInPath.h"

#include "platform/Format.h"
#include "scan/FileList.h"

namespace tarvosk {

std::u16string lookInPath(const std::u16string& drivePath, const std::vector<std::u16string>& folders) {
  std::u16string path = isPhysicalDrivePath(drivePath) ? format(u"HardDrive%d:", static_cast<int>(drivePath[0] - 0x7B))
                                                       : drivePath.substr(0, 2);
  path += u'\\';
  for (const std::u16string& folder : folders) path += folder + u'\\';
  return path;
}

}  // namespace tarvosk
