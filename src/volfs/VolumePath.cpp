#include "volfs/VolumePath.h"

namespace tarvosk {

std::vector<std::u16string> pathComponents(const std::u16string& path) {
  std::vector<std::u16string> parts;
  std::u16string part;
  for (char16_t c : path) {
    if (c == u'\\' || c == u'/') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part.push_back(c);
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

bool splitLastName(const std::u16string& path, std::u16string& folder, std::u16string& name) {
  std::vector<std::u16string> parts = pathComponents(path);
  if (parts.empty()) return false;
  folder.clear();
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) folder += parts[i] + u"\\";
  name = parts.back();
  return true;
}

VolumeFileInfo rootFolderInfo() {
  VolumeFileInfo info;
  info.attributes = FILE_ATTRIBUTE_DIRECTORY;
  return info;
}

}  // namespace tarvosk
