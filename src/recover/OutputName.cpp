#include "recover/OutputName.h"

#include "platform/PathNames.h"

namespace tarvosk {

OutputName safeOutputName(const std::u16string& listedName) {
  OutputName out;
  out.name = listedName;
  for (std::size_t i = 0; i < out.name.size(); ++i) {
    char16_t& c = out.name[i];
    bool lostFirst = i == 0 && c == u'?';
    if (c == u'\\' || c == u'/' || hasInvalidNameCharacters(std::u16string_view(&c, 1))) {
      out.changed = out.changed || !lostFirst;
      c = u'_';
    }
  }
  if (out.name.empty() || out.name == u"." || out.name == u"..") {
    out.name = u"_" + out.name;
    out.changed = true;
  }
  return out;
}

std::u16string joinOutputPath(const std::u16string& folder, const std::u16string& name) {
  if (!folder.empty() && (folder.back() == u'\\' || folder.back() == u'/')) return folder + name;
  return folder + u"\\" + name;
}

}  // namespace tarvosk
